#include "core/launcher_exit.h"

#include <cstdlib>

void EndLauncher() { std::exit(1); }
