#include "platform/ansi_text.h"

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
