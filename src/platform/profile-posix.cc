#include "platform/profile.h"

#include <string>

#include "platform/file_system.h"
#include "platform/profile_parse.h"

namespace {

// The file's bytes, or false when there is none to read.
bool ReadProfileFile(const char* file, std::string* contents) {
  return file != nullptr && ReadWholeFile(file, contents);
}

}  // namespace

unsigned long ReadProfileString(const char* section, const char* key,
                                const char* defaultValue, char* buffer,
                                unsigned long size, const char* file) {
  std::string contents;
  bool haveFile = ReadProfileFile(file, &contents);
  return ProfileStringFromText(haveFile ? &contents : nullptr, section, key,
                               defaultValue, buffer, size);
}

uint32_t ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const char* file) {
  std::string contents;
  bool haveFile = ReadProfileFile(file, &contents);
  return ProfileIntFromText(haveFile ? &contents : nullptr, section, key, defaultValue);
}

std::vector<std::string> ReadProfileKeyNames(const char* section, const char* file) {
  std::string contents;
  if (!ReadProfileFile(file, &contents)) return {};
  return ProfileKeyNamesFromText(contents, section);
}
