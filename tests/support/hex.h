// Bytes as hex text and back: how the test programs pass command lines and
// file contents around without any byte being lost or reinterpreted.
#ifndef LAUNCHER_TESTS_SUPPORT_HEX_H
#define LAUNCHER_TESTS_SUPPORT_HEX_H

#include <string>

inline std::string HexEncode(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

inline std::string HexDecode(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

#endif
