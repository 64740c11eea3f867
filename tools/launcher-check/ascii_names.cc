#include "launcher-check/ascii_names.h"

#include <algorithm>
#include <vector>

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
