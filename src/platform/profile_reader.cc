#include "platform/profile_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// Blanks as the profile parser sees them; 0x1A is an old end-of-file mark.
bool IsProfileSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

struct Span {
  const char* begin;
  const char* end;
  bool Empty() const { return begin == end; }
};

Span Trim(Span s) {
  while (s.begin < s.end && IsProfileSpace(*s.begin)) ++s.begin;
  while (s.end > s.begin && IsProfileSpace(s.end[-1])) --s.end;
  return s;
}

bool EqualsIgnoringCase(Span a, Span b) {
  if (a.end - a.begin != b.end - b.begin) return false;
  for (const char *p = a.begin, *q = b.begin; p < a.end; ++p, ++q) {
    if (FoldCase(*p) != FoldCase(*q)) return false;
  }
  return true;
}

Span SpanOf(const char* text) { return Trim(Span{text, text + std::strlen(text)}); }

}  // namespace

bool FindProfileValue(const std::string& contents, const char* section, const char* key,
                      std::string* value) {
  const Span wantedSection = SpanOf(section);
  const Span wantedKey = SpanOf(key);
  if (wantedSection.Empty() || wantedKey.Empty()) return false;

  const char* pos = contents.data();
  const char* const end = pos + contents.size();
  // Files saved by some editors start with a UTF-8 byte-order mark.
  if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) pos += 3;
  // Lines end at LF; a file without any LF is split at CR instead.
  const char separator = std::memchr(pos, '\n', end - pos) != nullptr ? '\n' : '\r';

  bool inWantedSection = false;
  bool seenWantedSection = false;
  while (pos < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(pos, separator, end - pos));
    if (lineEnd == nullptr) lineEnd = end;
    Span line = Trim(Span{pos, lineEnd});
    pos = lineEnd < end ? lineEnd + 1 : end;
    if (line.Empty()) continue;

    if (*line.begin == '[') {
      const char* close = nullptr;
      for (const char* p = line.end; p > line.begin;) {
        if (*--p == ']') { close = p; break; }
      }
      if (close != nullptr) {
        // Only the first section of a name counts; later duplicates are
        // never searched.
        if (seenWantedSection) return false;
        inWantedSection = EqualsIgnoringCase(Span{line.begin + 1, close}, wantedSection);
        seenWantedSection = inWantedSection;
        continue;
      }
    }
    if (!inWantedSection) continue;

    const char* equals = static_cast<const char*>(std::memchr(line.begin, '=', line.end - line.begin));
    Span name = Trim(Span{line.begin, equals != nullptr ? equals : line.end});
    if (!EqualsIgnoringCase(name, wantedKey)) continue;
    if (equals == nullptr) return false;  // a bare key has no value
    Span text = Trim(Span{equals + 1, line.end});
    value->assign(text.begin, text.end);
    return true;
  }
  return false;
}

std::vector<std::string> ProfileKeyNamesFromText(const std::string& contents,
                                                 const char* section) {
  std::vector<std::string> names;
  const Span wantedSection = SpanOf(section);
  if (wantedSection.Empty()) return names;

  const char* pos = contents.data();
  const char* const end = pos + contents.size();
  if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) pos += 3;
  const char separator = std::memchr(pos, '\n', end - pos) != nullptr ? '\n' : '\r';

  bool inWantedSection = false;
  bool seenWantedSection = false;
  while (pos < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(pos, separator, end - pos));
    if (lineEnd == nullptr) lineEnd = end;
    Span line = Trim(Span{pos, lineEnd});
    pos = lineEnd < end ? lineEnd + 1 : end;
    if (line.Empty()) continue;

    if (*line.begin == '[') {
      const char* close = nullptr;
      for (const char* p = line.end; p > line.begin;) {
        if (*--p == ']') { close = p; break; }
      }
      if (close != nullptr) {
        if (seenWantedSection) break;
        inWantedSection = EqualsIgnoringCase(Span{line.begin + 1, close}, wantedSection);
        seenWantedSection = inWantedSection;
        continue;
      }
    }
    if (!inWantedSection || *line.begin == ';') continue;
    // A bare key has no value, and the system leaves it out of the list.
    const char* equals = static_cast<const char*>(std::memchr(line.begin, '=', line.end - line.begin));
    if (equals == nullptr) continue;
    Span name = Trim(Span{line.begin, equals});
    // The system keeps names as C strings.
    names.emplace_back(name.begin, std::find(name.begin, name.end, '\0'));
  }
  return names;
}

unsigned long ProfileStringFromText(const std::string* contents, const char* section,
                                    const char* key, const char* defaultValue,
                                    char* buffer, unsigned long size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string value;
  if (contents != nullptr && FindProfileValue(*contents, section, key, &value)) {
    // The system holds values as C strings: a NUL byte in the file ends one.
    value.resize(std::strlen(value.c_str()));
    // A value wrapped in matching quotes is given without them.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
        value.back() == value[0]) {
      value = value.substr(1, value.size() - 2);
    }
  } else {
    value = defaultValue != nullptr ? defaultValue : "";
    // The system drops trailing blanks of the default.
    while (!value.empty() && value.back() == ' ') value.pop_back();
  }
  unsigned long length = value.size() < size ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return length;
}

uint32_t ParseProfileInteger(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0' && *p <= ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  uint32_t base = 10;
  if (p[0] == '0') {
    switch (p[1]) {
      case 'x': case 'X': base = 16; p += 2; break;
      case 'o': case 'O': base = 8; p += 2; break;
      case 'b': case 'B': base = 2; p += 2; break;
      default: break;
    }
  }
  uint32_t total = 0;
  for (;; ++p) {
    uint32_t digit;
    if (*p >= '0' && *p <= '9') digit = *p - '0';
    else if (*p >= 'a' && *p <= 'z') digit = *p - 'a' + 10;
    else if (*p >= 'A' && *p <= 'Z') digit = *p - 'A' + 10;
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  return negative ? 0u - total : total;
}

uint32_t ProfileIntFromText(const std::string* contents, const char* section,
                            const char* key, int defaultValue) {
  // The system reads the value through a small string buffer first; an
  // empty result means "use the default".
  char text[30];
  if (ProfileStringFromText(contents, section, key, "", text, sizeof(text)) == 0)
    return static_cast<uint32_t>(defaultValue);
  return ParseProfileInteger(text);
}
