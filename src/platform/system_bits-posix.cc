#include "platform/system_bits.h"

#include <sys/utsname.h>

#include <cstring>

bool IsSystem64Bit() {
  if (sizeof(void*) == 8) return true;
  // A 32-bit program on a 64-bit kernel: the machine's name tells.
  utsname name;
  return uname(&name) == 0 && std::strstr(name.machine, "64") != nullptr;
}
