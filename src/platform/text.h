// Text as the system sees it: the ANSI code page and its lead bytes,
// conversion between ANSI text, UTF-16 and UTF-8, case folding, the system's
// language, and the Windows command-line conventions.
#ifndef LAUNCHER_PLATFORM_TEXT_H
#define LAUNCHER_PLATFORM_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

// --- ANSI text ---------------------------------------------------------------

// Text in the system's ANSI code page: which page it is, which bytes start a
// two-byte character, and conversion to and from Unicode (UTF-16).

constexpr unsigned kUtf8CodePage = 65001;

// The system's ANSI code page (1252, 932, ...; GetACP on Windows). On POSIX
// systems the page of the locale's character set, 65001 for UTF-8 locales,
// read once per process as Windows fixes it at start-up.
unsigned CurrentAnsiCodePage();

// IsDBCSLeadByte: true when `byte` starts a two-byte character in the system's
// ANSI code page, so that the byte after it (which may equal '\\' or '.')
// belongs to it. Never true under 1252 or UTF-8.
bool IsAnsiLeadByte(unsigned char byte);

// The last occurrence of `ch` in `text`, scanning it as a multibyte string
// of the ANSI code page: a trail byte is never taken for `ch`. Null if none.
const char* FindLastAnsiChar(const char* text, char ch);

// ANSI text to Unicode (MultiByteToWideChar). False when some bytes are no
// character of the code page; they are then decoded as the system decodes them
// (U+FFFD here).
bool AnsiToUnicode(const std::string& ansi, std::u16string* unicode);

// Unicode to ANSI text (WideCharToMultiByte). False unless the result decodes
// back to exactly `unicode`: a character the code page lacks becomes "?", never
// a look-alike that could be a separator.
bool UnicodeToAnsi(const std::u16string& unicode, std::string* ansi);

// UTF-8 to ANSI text; false when `utf8` is malformed or not every character
// has its own counterpart in the code page.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);

// --- Code page of a POSIX locale ---------------------------------------------

// The ANSI code page a POSIX system stands in for, from its locale
// environment. The file names this layer sees are in the locale's character
// set, so the page is that set's: 65001 for UTF-8, 932 for Shift_JIS, 20932
// for EUC-JP, 936 for GBK and GB2312, 54936 for GB18030, 949 for EUC-KR and
// UHC, 950 for Big5. A locale without a character set keeps the page its
// language had on Windows (ja 932, zh_CN 936, ko 949, zh_TW 950), anything
// else is 1252, which has no lead bytes.

// The locale of messages and language: LC_ALL, then LC_MESSAGES, then LANG,
// else "C".
const char* LocaleNameFromEnvironment();

// The locale of characters, as Wine reads it: LC_ALL, then LC_CTYPE, then
// LANG, else "C".
const char* CodePageLocaleName();

unsigned CodePageForLocale(const char* localeName);
bool IsLeadByteOfCodePage(unsigned codePage, unsigned char byte);

// Reads the locale environment again; for tests that change it (POSIX only).
void RereadAnsiCodePage();

// --- UTF-8 -------------------------------------------------------------------

// UTF-8 to and from UTF-16, independent of any code page: Windows 95 has
// no CP_UTF8, and zip archives flag UTF-8 names whatever the system's page.

// False when `utf8` is not well-formed UTF-8 (overlong forms, surrogates and
// values past U+10FFFF included); each bad byte then decodes as U+FFFD.
bool DecodeUtf8(const std::string& utf8, std::u16string* unicode);

// False when `unicode` holds an unpaired surrogate; it is written as "?".
bool EncodeUtf8(const std::u16string& unicode, std::string* utf8);

// --- Case --------------------------------------------------------------------

// Upper case of a UTF-16 unit, for comparing names without regard to case
// as Windows does. It covers the letters of the ANSI code pages: Latin
// (Latin-1 and Latin Extended-A), Greek, Cyrillic and the full-width Latin
// letters of the East Asian pages; anything else is returned unchanged.

char16_t UnicodeUpperCase(char16_t c);

// --- System language ---------------------------------------------------------

// The system's default language as a Windows language identifier.

constexpr uint16_t kLanguageEnglishUs = 0x0409;

// GetSystemDefaultLangID. On POSIX systems the language comes from the locale
// environment (LC_ALL, then LC_MESSAGES, then LANG), as Wine takes it.
uint16_t GetSystemDefaultLanguage();

// The language identifier for a POSIX locale name such as "ja_JP.UTF-8" or
// "de_DE@euro". A known language with an unknown territory gives that
// language's default; "C", "POSIX" and anything unknown give US English.
uint16_t LanguageIdForLocale(const char* localeName);

// --- Command line ------------------------------------------------------------

// Windows command-line conventions: how the C runtime splits a command line
// into arguments, and the quoting that reverses it. POSIX systems hand a
// program its arguments already split, so the POSIX layer rebuilds and
// re-splits command lines with these rules.

// Splits like the C runtime: the first token by the program-name rule
// (quotes toggle, no escapes), the rest by the argument rules (blanks
// separate outside quotes, 2n backslashes before a quote give n and the
// quote toggles, 2n+1 give n and a literal quote, "" inside quotes is a
// literal quote).
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Splits a command-line tail: every token by the argument rules.
std::vector<std::string> SplitArguments(const char* text);

// Quotes `argument` so that SplitArguments gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

// Quoted arguments joined by single blanks.
std::string JoinArguments(const std::vector<std::string>& arguments);

#endif
