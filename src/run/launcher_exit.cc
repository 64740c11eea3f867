#include "run/launcher_exit.h"

#include <cstdlib>

void EndLauncher() { std::exit(1); }

void EndLauncherWithStatus(uint32_t status) {
  // Windows takes the whole 32-bit code; POSIX systems keep its low 8 bits.
  std::exit(static_cast<int>(status));
}
