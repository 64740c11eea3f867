#include "platform/file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/file_system-posix.h"

// Plain system calls: the stream library's start-up would cost the launcher
// more than the read.
bool ReadWholeFile(const char* path, std::string* contents) {
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof(buffer));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      close(fd);
      if (count < 0) return false;
      *contents = std::move(text);
      return true;
    }
    text.append(buffer, static_cast<size_t>(count));
  }
}
