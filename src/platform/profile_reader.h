// The private-profile lookup rules, over a file's bytes held in memory. The
// POSIX layer reads its INI files with these; tests hold them against the
// real Windows functions.
#ifndef LAUNCHER_PLATFORM_PROFILE_READER_H
#define LAUNCHER_PLATFORM_PROFILE_READER_H

#include <cstdint>
#include <string>
#include <vector>

// Finds `key` in the first section named `section` (blanks around the
// requested names ignored, case ignored). False when the section or key is
// missing or the key's first line has no '='. The value keeps its quotes.
bool FindProfileValue(const std::string& contents, const char* section,
                      const char* key, std::string* value);

// The key names of the first section named `section`, in file order, as
// GetPrivateProfileStringA lists them for a null key name.
std::vector<std::string> ProfileKeyNamesFromText(const std::string& contents,
                                                 const char* section);

// GetPrivateProfileStringA over `contents` (null when there is no file).
unsigned long ProfileStringFromText(const std::string* contents, const char* section,
                                    const char* key, const char* defaultValue,
                                    char* buffer, unsigned long size);

// GetPrivateProfileIntA over `contents` (null when there is no file).
uint32_t ProfileIntFromText(const std::string* contents, const char* section,
                            const char* key, int defaultValue);

// The system's conversion of a profile value to an integer: blanks, an
// optional sign, an optional 0x, 0o or 0b prefix (lower case only), then
// digits; wraps modulo 2^32 like the system does.
uint32_t ParseProfileInteger(const char* text);

#endif
