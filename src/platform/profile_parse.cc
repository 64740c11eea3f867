#include "platform/profile_parse.h"

#include <cstring>

#include "platform/text.h"

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The system holds names and values as C strings: a NUL byte ends one.
std::string UpToNul(const char* begin, const char* end) {
  const void* nul = std::memchr(begin, '\0', end - begin);
  return std::string(begin, nul != nullptr ? static_cast<const char*>(nul) : end);
}

void TrimSpan(const char** begin, const char** end) {
  while (*begin < *end && IsProfileBlank(**begin)) ++*begin;
  while (*end > *begin && IsProfileBlank((*end)[-1])) --*end;
}

// The last ']' of a header line, scanning whole characters of the ANSI code
// page: a trail byte of a double-byte character may have the value of ']'.
const char* FindClosingBracket(const char* begin, const char* end) {
  const char* found = nullptr;
  for (const char* p = begin; p < end; ++p) {
    if (*p == ']') found = p;
    else if (IsAnsiLeadByte(static_cast<unsigned char>(*p))) ++p;
  }
  return found;
}

// The file as ANSI text. A Unicode file (UTF-16 either way round, or UTF-8
// with its mark) is converted to the ANSI code page as the system converts
// it: characters the page lacks become "?".
std::string AnsiTextOf(const std::string& bytes) {
  const bool littleEndian = bytes.compare(0, 2, "\xFF\xFE") == 0;
  std::u16string unicode;
  if (littleEndian || bytes.compare(0, 2, "\xFE\xFF") == 0) {
    for (size_t i = 2; i < bytes.size(); i += 2) {
      // A last odd byte reads as a character of its own.
      const unsigned first = static_cast<unsigned char>(bytes[i]);
      const unsigned second = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
      unicode.push_back(static_cast<char16_t>(littleEndian ? first | second << 8
                                                           : second | first << 8));
    }
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    DecodeUtf8(bytes.substr(3), &unicode);
  } else {
    return bytes;
  }
  std::string ansi;
  UnicodeToAnsi(unicode, &ansi);
  return ansi;
}

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if ((c & 0x80) != 0) return false;
  }
  return true;
}

}  // namespace

bool IsProfileBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string TrimProfileBlanks(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  TrimSpan(&begin, &end);
  return std::string(begin, end);
}

bool ProfileNamesEqual(const std::string& a, const std::string& b) {
  if (a.size() == b.size()) {
    size_t i = 0;
    while (i < a.size() && FoldAscii(a[i]) == FoldAscii(b[i])) ++i;
    if (i == a.size()) return true;
  }
  if (IsAscii(a) && IsAscii(b)) return false;
  // Letters beyond ASCII fold as Unicode letters. Bytes that are no
  // character of the code page match only themselves.
  std::u16string wideA, wideB;
  if (!AnsiToUnicode(a, &wideA) || !AnsiToUnicode(b, &wideB) || wideA.size() != wideB.size())
    return false;
  for (size_t i = 0; i < wideA.size(); ++i) {
    if (UnicodeUpperCase(wideA[i]) != UnicodeUpperCase(wideB[i])) return false;
  }
  return true;
}

std::vector<ProfileSection> ParseProfile(const std::string& fileBytes) {
  std::vector<ProfileSection> sections(1, ProfileSection{"", 0, {}});
  const std::string text = AnsiTextOf(fileBytes);
  const char* pos = text.data();
  const char* const end = pos + text.size();
  int lineNumber = 0;
  while (pos < end) {
    // Each line ends at its own LF, CR LF or lone CR; one file may mix them.
    const char* lineEnd = pos;
    while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
    const char* next = lineEnd;
    if (next < end) next += (next[0] == '\r' && next + 1 < end && next[1] == '\n') ? 2 : 1;
    ++lineNumber;
    const char* begin = pos;
    pos = next;
    TrimSpan(&begin, &lineEnd);
    if (begin == lineEnd) continue;

    if (*begin == '[') {
      if (const char* close = FindClosingBracket(begin + 1, lineEnd)) {
        const char* nameBegin = begin + 1;
        const char* nameEnd = close;
        TrimSpan(&nameBegin, &nameEnd);
        sections.push_back(ProfileSection{UpToNul(nameBegin, nameEnd), lineNumber, {}});
        continue;
      }
    }
    ProfileEntry entry;
    const char* equals = static_cast<const char*>(std::memchr(begin, '=', lineEnd - begin));
    entry.hasEquals = equals != nullptr;
    const char* nameEnd = entry.hasEquals ? equals : lineEnd;
    TrimSpan(&begin, &nameEnd);
    entry.name = UpToNul(begin, nameEnd);
    if (entry.hasEquals) {
      const char* valueBegin = equals + 1;
      const char* valueEnd = lineEnd;
      TrimSpan(&valueBegin, &valueEnd);
      entry.value = UpToNul(valueBegin, valueEnd);
    }
    entry.line = lineNumber;
    sections.back().entries.push_back(entry);
  }
  return sections;
}
