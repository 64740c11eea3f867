#include "platform/text.h"

char16_t UnicodeUpperCase(char16_t c) {
  auto minus = [c](int offset) { return static_cast<char16_t>(c - offset); };
  if (c >= u'a' && c <= u'z') return minus(32);
  if (c < 0xE0) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return minus(32);
  if (c == 0xFF) return 0x178;
  if (c == 0x131) return u'I';  // dotless i
  // Latin Extended-A pairs capitals and small letters; the pairs start on an
  // even code in 0100-0137 and 014A-0177, on an odd one in 0139-0148 and
  // 0179-017E.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? minus(1) : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : minus(1);
  // Greek
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return minus(37);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return minus(32);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return minus(63);
  // Cyrillic
  if (c >= 0x430 && c <= 0x44F) return minus(32);
  if (c >= 0x450 && c <= 0x45F) return minus(80);
  if (c == 0x491) return 0x490;  // ghe with upturn (code page 1251)
  // Full-width Latin letters
  if (c >= 0xFF41 && c <= 0xFF5A) return minus(32);
  return c;
}
