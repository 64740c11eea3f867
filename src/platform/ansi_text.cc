#include "platform/text.h"

const char* FindLastAnsiChar(const char* text, char ch) {
  const char* found = nullptr;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ch) {
      found = p;
    } else if (IsAnsiLeadByte(static_cast<unsigned char>(*p))) {
      if (p[1] == '\0') break;
      ++p;
    }
  }
  return found;
}

bool Utf8ToAnsi(const std::string& utf8, std::string* ansi) {
  std::u16string unicode;
  const bool wellFormed = DecodeUtf8(utf8, &unicode);
  const bool lossless = UnicodeToAnsi(unicode, ansi);
  return wellFormed && lossless;
}
