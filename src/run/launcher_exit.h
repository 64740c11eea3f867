#ifndef LAUNCHER_RUN_LAUNCHER_EXIT_H
#define LAUNCHER_RUN_LAUNCHER_EXIT_H

#include <cstdint>

// The ways out of the launcher: status 1, whatever happened, so that the
// status never pretends to report the outcome.
[[noreturn]] void EndLauncher();

// The one exception, asked for by the configuration: ends the launcher
// with the setup program's own exit code, which deployment tools read.
[[noreturn]] void EndLauncherWithStatus(uint32_t status);

#endif
