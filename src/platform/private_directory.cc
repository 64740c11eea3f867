#include "platform/private_directory.h"

#include <cstdio>

std::string PrivateDirectoryName(uint32_t processId, uint32_t tick, uint32_t attempt) {
  // Mixed so that neighbouring inputs give unrelated names; the name only
  // has to be hard to take first, since a taken one is never used.
  uint32_t mixed = processId * 0x9E3779B1u ^ tick ^ (attempt + 1) * 0x85EBCA77u;
  mixed ^= mixed >> 15;
  mixed *= 0x2C1B3C6Du;
  mixed ^= mixed >> 12;
  char name[kPrivateDirectoryNameLength + 1];
  std::snprintf(name, sizeof(name), "~reg%08lx", static_cast<unsigned long>(mixed));
  return name;
}
