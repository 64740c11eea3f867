#include "platform/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/native_path.h"
#include "platform/profile_reader.h"

namespace {

// The whole file, or false when there is none to read. Plain system calls:
// the stream library's start-up would cost the launcher more than the read.
bool ReadWholeFile(const char* file, std::string* contents) {
  std::string path;
  if (file == nullptr || !NativePath(file, &path)) return false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  contents->clear();
  char buffer[4096];
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof(buffer));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      close(fd);
      return count == 0;
    }
    contents->append(buffer, static_cast<size_t>(count));
  }
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

std::vector<std::string> ReadProfileKeyNames(const char* section, const char* file) {
  std::string contents;
  if (!ReadWholeFile(file, &contents)) return {};
  return ProfileKeyNamesFromText(contents, section);
}
