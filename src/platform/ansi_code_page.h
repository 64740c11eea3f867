// The ANSI code page a POSIX system stands in for. Windows derives it from
// the system locale; here it follows the locale environment the same way
// Wine does (ja_JP -> 932, zh_CN -> 936, ko_KR -> 949, zh_TW -> 950,
// anything else -> 1252, which has no lead bytes).
#ifndef LAUNCHER_PLATFORM_ANSI_CODE_PAGE_H
#define LAUNCHER_PLATFORM_ANSI_CODE_PAGE_H

// The effective locale name: LC_ALL, then LC_MESSAGES, then LANG, else "C".
const char* LocaleNameFromEnvironment();

unsigned CodePageForLocale(const char* localeName);
unsigned CurrentAnsiCodePage();
bool IsLeadByteOfCodePage(unsigned codePage, unsigned char byte);

#endif
