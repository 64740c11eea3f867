// UTF-8 to and from UTF-16, independent of any code page: Windows 95 has
// no CP_UTF8, and zip archives flag UTF-8 names whatever the system's page.
#ifndef LAUNCHER_PLATFORM_UTF8_TEXT_H
#define LAUNCHER_PLATFORM_UTF8_TEXT_H

#include <string>

// False when `utf8` is not well-formed UTF-8 (overlong forms, surrogates and
// values past U+10FFFF included); each bad byte then decodes as U+FFFD.
bool DecodeUtf8(const std::string& utf8, std::u16string* unicode);

// False when `unicode` holds an unpaired surrogate; it is written as "?".
bool EncodeUtf8(const std::u16string& unicode, std::string* utf8);

#endif
