// The start of a Windows program, as far as the PE header's Machine field:
// enough for what reads a program's build.
#ifndef LAUNCHER_TESTS_SUPPORT_FAKE_PROGRAM_H
#define LAUNCHER_TESTS_SUPPORT_FAKE_PROGRAM_H

#include <cstdint>
#include <string>

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;

inline std::string FakeProgram(uint16_t machine) {
  std::string bytes(0x48, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3c] = 0x40;  // where the PE signature starts
  bytes.replace(0x40, 6, std::string("PE\0\0", 4) + static_cast<char>(machine & 0xFF) +
                             static_cast<char>(machine >> 8));
  return bytes;
}

#endif
