#include "core/indexed_keys.h"

#include <algorithm>
#include <cstring>

namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EqualsFolded(const char* a, size_t length, const char* b) {
  if (std::strlen(b) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<uint32_t> PresentEntryIndexes(const std::vector<std::string>& keyNames,
                                          const char* prefix,
                                          const std::vector<const char*>& suffixes,
                                          uint32_t count) {
  std::vector<uint32_t> indexes;
  const size_t prefixLength = std::strlen(prefix);
  for (const std::string& name : keyNames) {
    if (name.size() <= prefixLength || !EqualsFolded(name.data(), prefixLength, prefix)) continue;
    size_t end = prefixLength;
    uint64_t index = 0;
    // "%d" never writes a leading zero, and no index has more than 10 digits.
    while (end < name.size() && name[end] >= '0' && name[end] <= '9' && end - prefixLength < 11) {
      index = index * 10 + static_cast<uint64_t>(name[end] - '0');
      ++end;
    }
    if (end == prefixLength || name[prefixLength] == '0' || index == 0 || index > count) continue;
    const bool known = std::any_of(suffixes.begin(), suffixes.end(), [&](const char* suffix) {
      return EqualsFolded(name.data() + end, name.size() - end, suffix);
    });
    if (known) indexes.push_back(static_cast<uint32_t>(index));
  }
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  return indexes;
}
