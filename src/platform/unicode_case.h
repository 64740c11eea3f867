// Upper case of a UTF-16 unit, for comparing names without regard to case
// as Windows does. It covers the letters of the ANSI code pages: Latin
// (Latin-1 and Latin Extended-A), Greek, Cyrillic and the full-width Latin
// letters of the East Asian pages; anything else is returned unchanged.
#ifndef LAUNCHER_PLATFORM_UNICODE_CASE_H
#define LAUNCHER_PLATFORM_UNICODE_CASE_H

char16_t UnicodeUpperCase(char16_t c);

#endif
