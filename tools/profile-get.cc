// profile-get: prints one configuration value exactly as the launcher reads
// it, so that a packager can check a configuration file, and tests can hold
// our reader against the system's.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/system.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
  std::fputs(
      "usage: profile-get [--int] [--default TEXT] [--size N] FILE SECTION KEY\n"
      "       profile-get --batch QUERIES\n"
      "Prints the value of KEY in [SECTION] of FILE as the launcher reads it.\n"
      "  --int           read the value as an integer, printed unsigned\n"
      "  --default TEXT  value for a missing key (default: empty, or 0)\n"
      "  --size N        string buffer size in bytes (default 261)\n"
      "  --batch QUERIES answers every line of the file QUERIES, one line each:\n"
      "                    s SIZE SECTION KEY DEFAULT FILE -> LENGTH BUFFER\n"
      "                    i DEFAULT SECTION KEY FILE      -> VALUE\n"
      "                    k SECTION FILE                  -> =NAME ...\n"
      "                  SECTION, KEY, DEFAULT, BUFFER and NAME are hex bytes,\n"
      "                  \"-\" for none; k lists the section's key names; BUFFER is all\n"
      "                  SIZE bytes, those the reader left untouched included\n",
      stderr);
  return 2;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hex field of a batch query; "-" stands for a null pointer.
bool DecodeField(const std::string& field, std::string* bytes, bool* null) {
  *null = field == "-";
  bytes->clear();
  if (*null) return true;
  if (field.size() % 2 != 0) return false;
  for (size_t i = 0; i < field.size(); i += 2) {
    const int high = HexDigit(field[i]), low = HexDigit(field[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high << 4 | low));
  }
  return true;
}

// Filled into every batch buffer first, so that bytes the reader did not
// write show up as such.
constexpr unsigned char kUntouched = 0xCC;

// One batch query, answered on stdout; false when the line is malformed.
bool AnswerQuery(const std::string& line) {
  std::vector<std::string> fields;
  size_t pos = 0;
  const bool isString = line.compare(0, 2, "s ") == 0;
  const bool isList = line.compare(0, 2, "k ") == 0;
  const size_t fieldCount = isString ? 5 : isList ? 2 : 4;  // before the file name
  while (fields.size() < fieldCount) {
    const size_t blank = line.find(' ', pos);
    if (blank == std::string::npos) return false;
    fields.push_back(line.substr(pos, blank - pos));
    pos = blank + 1;
  }
  const std::string file = line.substr(pos);
  std::string section, key, fallback;
  bool noSection, noKey, noDefault;
  if (isList) {
    if (!DecodeField(fields[1], &section, &noSection) || noSection) return false;
    for (const std::string& name : ReadProfileKeyNames(section.c_str(), file.c_str())) {
      std::printf("=");
      for (unsigned char c : name) std::printf("%02x", c);
      std::printf(" ");
    }
    std::printf("\n");
    return true;
  }
  if (!DecodeField(fields[2], &section, &noSection) ||
      !DecodeField(fields[3], &key, &noKey))
    return false;
  if (isString) {
    if (!DecodeField(fields[4], &fallback, &noDefault)) return false;
    const unsigned long size = std::strtoul(fields[1].c_str(), nullptr, 10);
    if (size > (1u << 20)) return false;
    std::vector<char> buffer(size > 0 ? size : 1, static_cast<char>(kUntouched));
    const unsigned long length =
        ReadProfileString(noSection ? nullptr : section.c_str(), noKey ? nullptr : key.c_str(),
                          noDefault ? nullptr : fallback.c_str(), size > 0 ? buffer.data() : nullptr,
                          size, file.c_str());
    std::printf("%lu ", length);
    for (unsigned long i = 0; i < size; ++i)
      std::printf("%02x", static_cast<unsigned char>(buffer[i]));
    std::printf("\n");
  } else if (line.compare(0, 2, "i ") == 0) {
    const int fallbackValue = std::atoi(fields[1].c_str());
    std::printf("%lu\n", static_cast<unsigned long>(
                             ReadProfileInt(noSection ? nullptr : section.c_str(),
                                            noKey ? nullptr : key.c_str(), fallbackValue,
                                            file.c_str())));
  } else {
    return false;
  }
  return true;
}

int AnswerBatch(const char* queries) {
  FILE* in = std::fopen(queries, "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "profile-get: cannot read %s\n", queries);
    return 2;
  }
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), in)) > 0;) text.append(chunk, n);
  std::fclose(in);
  int status = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!AnswerQuery(line)) {
      std::printf("?\n");
      status = 2;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearch();
  bool asInteger = false;
  const char* defaultValue = nullptr;
  const char* batch = nullptr;
  unsigned long size = 261;
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--int") == 0) {
      asInteger = true;
    } else if (std::strcmp(argv[i], "--default") == 0 && i + 1 < argc) {
      defaultValue = argv[++i];
    } else if (std::strcmp(argv[i], "--batch") == 0 && i + 1 < argc) {
      batch = argv[++i];
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
#ifdef _WIN32
  // Values are printed byte for byte, without CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (batch != nullptr) return positional.empty() ? AnswerBatch(batch) : Usage();
  if (positional.size() != 3) return Usage();
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
