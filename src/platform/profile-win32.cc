#include "platform/profile.h"

#include <windows.h>

unsigned long ReadProfileString(const char* section, const char* key,
                                const char* defaultValue, char* buffer,
                                unsigned long size, const char* file) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

uint32_t ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const char* file) {
  return GetPrivateProfileIntA(section, key, defaultValue, file);
}
