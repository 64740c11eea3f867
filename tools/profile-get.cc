// profile-get: prints one configuration value exactly as the launcher reads
// it, so that a packager can check a configuration file, and tests can hold
// our reader against the system's.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/profile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
  std::fputs(
      "usage: profile-get [--int] [--default TEXT] [--size N] FILE SECTION KEY\n"
      "Prints the value of KEY in [SECTION] of FILE as the launcher reads it.\n"
      "  --int           read the value as an integer, printed unsigned\n"
      "  --default TEXT  value for a missing key (default: empty, or 0)\n"
      "  --size N        string buffer size in bytes (default 261)\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool asInteger = false;
  const char* defaultValue = nullptr;
  unsigned long size = 261;
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--int") == 0) {
      asInteger = true;
    } else if (std::strcmp(argv[i], "--default") == 0 && i + 1 < argc) {
      defaultValue = argv[++i];
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      char* end;
      size = std::strtoul(argv[++i], &end, 10);
      if (*end != '\0' || size > (1u << 20)) return Usage();
    } else if (std::strcmp(argv[i], "--help") == 0) {
      Usage();
      return 0;
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.size() != 3) return Usage();
#ifdef _WIN32
  // Values are printed byte for byte, without CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const char* file = positional[0];
  const char* section = positional[1];
  const char* key = positional[2];

  if (asInteger) {
    int fallback = defaultValue != nullptr ? std::atoi(defaultValue) : 0;
    std::printf("%lu\n", static_cast<unsigned long>(ReadProfileInt(section, key, fallback, file)));
    return 0;
  }
  std::vector<char> buffer(size + 1, '\0');
  unsigned long length = ReadProfileString(section, key, defaultValue != nullptr ? defaultValue : "",
                                           buffer.data(), size, file);
  if (length > size) length = size;
  std::fwrite(buffer.data(), 1, length, stdout);
  std::fputc('\n', stdout);
  return 0;
}
