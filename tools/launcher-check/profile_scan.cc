#include "launcher-check/profile_scan.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsProfileSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string Trim(const char* begin, const char* end) {
  while (begin < end && IsProfileSpace(*begin)) ++begin;
  while (end > begin && IsProfileSpace(end[-1])) --end;
  return std::string(begin, end);
}

}  // namespace

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return AsciiUpper(a) == AsciiUpper(b);
}

size_t EditDistance(const std::string& a, const std::string& b) {
  const std::string x = AsciiUpper(a), y = AsciiUpper(b);
  std::vector<size_t> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

std::vector<ScannedSection> ScanProfileText(const std::string& contents) {
  std::vector<ScannedSection> sections(1, ScannedSection{"", 0, {}});
  const char* pos = contents.data();
  const char* const end = pos + contents.size();
  if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) pos += 3;
  // As the reader does: lines end at LF, or at CR in a file without any LF.
  const char separator = std::memchr(pos, '\n', end - pos) != nullptr ? '\n' : '\r';
  int lineNumber = 0;
  while (pos < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(pos, separator, end - pos));
    if (lineEnd == nullptr) lineEnd = end;
    const std::string line = Trim(pos, lineEnd);
    pos = lineEnd < end ? lineEnd + 1 : end;
    ++lineNumber;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::string::size_type close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        sections.push_back(ScannedSection{line.substr(1, close - 1), lineNumber, {}});
        continue;
      }
    }
    const std::string::size_type equals = line.find('=');
    ScannedKey key;
    key.hasEquals = equals != std::string::npos;
    key.name = Trim(line.data(), line.data() + (key.hasEquals ? equals : line.size()));
    key.value = key.hasEquals ? Trim(line.data() + equals + 1, line.data() + line.size()) : "";
    key.line = lineNumber;
    sections.back().keys.push_back(key);
  }
  return sections;
}
