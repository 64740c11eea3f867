// Private-profile (INI) reading, with the semantics of Windows'
// GetPrivateProfileStringA and GetPrivateProfileIntA.
#ifndef LAUNCHER_PLATFORM_PROFILE_H
#define LAUNCHER_PLATFORM_PROFILE_H

#include <cstdint>
#include <string>
#include <vector>

// Copies the value of `key` in `section` of `file` (or `defaultValue` when
// the key is missing) into `buffer`, cut to `size` - 1 bytes and
// zero-terminated. A key present with an empty value yields "". Returns the
// number of bytes copied, without the terminator.
unsigned long ReadProfileString(const char* section, const char* key,
                                const char* defaultValue, char* buffer,
                                unsigned long size, const char* file);

// The value read as an integer (leading blanks, a sign and a 0x, 0o or 0b
// prefix allowed; reading stops at the first non-digit), or `defaultValue`
// when the key is missing or its value is empty.
uint32_t ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const char* file);

// The names of the keys in `section` of `file`, in file order, as the system
// lists them when asked for a section's values with no key name. Empty when
// the file or the section is missing.
std::vector<std::string> ReadProfileKeyNames(const char* section, const char* file);

#endif
