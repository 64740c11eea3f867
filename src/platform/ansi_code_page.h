// The ANSI code page a POSIX system stands in for, from its locale
// environment. The file names this layer sees are in the locale's character
// set, so the page is that set's: 65001 for UTF-8, 932 for Shift_JIS, 20932
// for EUC-JP, 936 for GBK and GB2312, 54936 for GB18030, 949 for EUC-KR and
// UHC, 950 for Big5. A locale without a character set keeps the page its
// language had on Windows (ja 932, zh_CN 936, ko 949, zh_TW 950), anything
// else is 1252, which has no lead bytes.
#ifndef LAUNCHER_PLATFORM_ANSI_CODE_PAGE_H
#define LAUNCHER_PLATFORM_ANSI_CODE_PAGE_H

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

#endif
