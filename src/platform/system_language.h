// The system's default language as a Windows language identifier.
#ifndef LAUNCHER_PLATFORM_SYSTEM_LANGUAGE_H
#define LAUNCHER_PLATFORM_SYSTEM_LANGUAGE_H

#include <cstdint>

constexpr uint16_t kLanguageEnglishUs = 0x0409;

// GetSystemDefaultLangID. On POSIX systems the language comes from the locale
// environment (LC_ALL, then LC_MESSAGES, then LANG), as Wine takes it.
uint16_t GetSystemDefaultLanguage();

// The language identifier for a POSIX locale name such as "ja_JP.UTF-8" or
// "de_DE@euro". A known language with an unknown territory gives that
// language's default; "C", "POSIX" and anything unknown give US English.
uint16_t LanguageIdForLocale(const char* localeName);

#endif
