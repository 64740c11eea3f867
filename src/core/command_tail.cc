#include "core/command_tail.h"

#include "platform/text.h"

const char* SkipProgramName(const char* commandLine) {
  if (commandLine == nullptr) return "";
  const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
  bool quoted = false;
  while (*p != 0) {
    if (*p == '"') {
      quoted = !quoted;
    } else if (!quoted && *p <= 0x20) {
      break;
    } else if (IsAnsiLeadByte(*p) && p[1] != 0) {
      ++p;
    }
    ++p;
  }
  while (*p >= 0x01 && *p <= 0x20) ++p;
  return reinterpret_cast<const char*>(p);
}
