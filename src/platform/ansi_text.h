// Text in the system's ANSI code page: which page it is, which bytes start a
// two-byte character, and conversion to and from Unicode (UTF-16).
#ifndef LAUNCHER_PLATFORM_ANSI_TEXT_H
#define LAUNCHER_PLATFORM_ANSI_TEXT_H

#include <string>

constexpr unsigned kUtf8CodePage = 65001;

// The system's ANSI code page (1252, 932, ...; GetACP on Windows). On POSIX
// systems the page of the locale's character set, 65001 for UTF-8 locales,
// read once per process as Windows fixes it at start-up.
unsigned CurrentAnsiCodePage();

// True when `byte` starts a two-byte character in the system's ANSI code
// page, so that the byte after it (which may equal '\\' or '.') belongs to it.
// Never true under 1252 or UTF-8.
bool IsAnsiLeadByte(unsigned char byte);

// The last occurrence of `ch` in `text`, scanning it as a multibyte string
// of the ANSI code page: a trail byte is never taken for `ch`. Null if none.
const char* FindLastAnsiChar(const char* text, char ch);

// ANSI text to Unicode. False when some bytes are no character of the code
// page; they are then decoded as the system decodes them (U+FFFD here).
bool AnsiToUnicode(const std::string& ansi, std::u16string* unicode);

// Unicode to ANSI text. False unless the result decodes back to exactly
// `unicode`: a character the code page lacks becomes "?", never a
// look-alike that could be a separator.
bool UnicodeToAnsi(const std::u16string& unicode, std::string* ansi);

// UTF-8 to ANSI text; false when `utf8` is malformed or not every character
// has its own counterpart in the code page.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);

#endif
