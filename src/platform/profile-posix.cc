#include "platform/profile.h"

#include <fstream>
#include <sstream>
#include <string>

#include "platform/native_path.h"
#include "platform/profile_reader.h"

namespace {

// The whole file, or false when there is none to read.
bool ReadWholeFile(const char* file, std::string* contents) {
  std::string path;
  if (file == nullptr || !NativePath(file, &path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  *contents = text.str();
  return true;
}

}  // namespace

unsigned long ReadProfileString(const char* section, const char* key,
                                const char* defaultValue, char* buffer,
                                unsigned long size, const char* file) {
  std::string contents;
  bool haveFile = ReadWholeFile(file, &contents);
  return ProfileStringFromText(haveFile ? &contents : nullptr, section, key,
                               defaultValue, buffer, size);
}

uint32_t ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const char* file) {
  std::string contents;
  bool haveFile = ReadWholeFile(file, &contents);
  return ProfileIntFromText(haveFile ? &contents : nullptr, section, key, defaultValue);
}
