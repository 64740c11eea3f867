// Any entry name through the classification: a name that is not refused
// never resolves to a place outside the destination, read the way Windows
// reads a path (every backslash a separator, whatever the code page; "."
// and ".." components; trailing dots and blanks of a component dropped),
// and never names an alternate data stream when colons are refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deploy/zip_extraction.h"

namespace {

// The depth below the destination that `name` reaches, or -1 when some
// prefix of it climbs above the destination.
int ResolvedDepth(const std::string& name) {
  int depth = 0;
  size_t start = 0;
  for (;;) {
    size_t end = name.find('\\', start);
    std::string component = name.substr(start, end == std::string::npos ? end : end - start);
    while (!component.empty() && (component.back() == '.' || component.back() == ' '))
      component.pop_back();
    const std::string original = name.substr(start, end == std::string::npos ? end : end - start);
    if (original == "..") {
      if (--depth < 0) return -1;
    } else if (!component.empty() && original != ".") {
      ++depth;
    }
    if (end == std::string::npos) return depth;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 600) return 0;
  std::string name(reinterpret_cast<const char*>(data), size);
  name = name.substr(0, name.find('\0'));  // the name ends at its terminator
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  for (bool colonRefused : {false, true}) {
    const EntryKind kind = ClassifyEntryName(name.c_str(), colonRefused);
    if (kind == EntryKind::kRefused) continue;
    if (name.empty() || name[0] == '\\' || (name.size() >= 2 && name[1] == ':')) std::abort();
    if (colonRefused && name.find(':') != std::string::npos) std::abort();
    // Any component that Windows could shorten to ".." must have been refused.
    size_t start = 0;
    for (;;) {
      size_t end = name.find('\\', start);
      std::string component = name.substr(start, end == std::string::npos ? end : end - start);
      while (!component.empty() && (component.back() == ' ')) component.pop_back();
      if (component.size() >= 2 && component.find_first_not_of('.') == std::string::npos)
        std::abort();
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (ResolvedDepth(name) < 0) std::abort();
    if (kind == EntryKind::kDirectory && name.back() != '\\') std::abort();
  }
  return 0;
}
