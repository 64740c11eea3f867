#include "platform/profile.h"

#include <windows.h>

#include <cstring>

unsigned long ReadProfileString(const char* section, const char* key,
                                const char* defaultValue, char* buffer,
                                unsigned long size, const char* file) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

uint32_t ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const char* file) {
  return GetPrivateProfileIntA(section, key, defaultValue, file);
}

std::vector<std::string> ReadProfileKeyNames(const char* section, const char* file) {
  // The list is zero-terminated names ending with an extra zero; a result of
  // size - 2 means it did not fit.
  std::vector<char> buffer(4096);
  DWORD length;
  for (;;) {
    length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                      static_cast<DWORD>(buffer.size()), file);
    if (length + 2 < buffer.size() || buffer.size() >= (1u << 26)) break;
    buffer.assign(buffer.size() * 4, '\0');
  }
  // Walked by the length returned, not to the first empty name: a key with
  // an empty name would otherwise hide every key after it.
  std::vector<std::string> names;
  for (const char* name = buffer.data(); name < buffer.data() + length;) {
    names.emplace_back(name);
    name += names.back().size() + 1;
  }
  return names;
}
