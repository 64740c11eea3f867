#ifndef LAUNCHER_RUN_LAUNCHER_EXIT_H
#define LAUNCHER_RUN_LAUNCHER_EXIT_H

#include <cstdint>

// The ways out of the launcher: status 1, whatever happened, so that the
// status never pretends to report the outcome.
[[noreturn]] void EndLauncher();

// The one exception, asked for by the configuration: ends the launcher
// with the setup program's own exit code, which deployment tools read.
[[noreturn]] void EndLauncherWithStatus(uint32_t status);

// Codes that deployment tools act on, given only when PASSEXITCODE asks:
// another installation holds the single-instance mutex (tools retry later),
// DEFAULTCMD names nothing that may be started, and a failed start whose
// system error is unknown.
enum : uint32_t {
  kExitAnotherInstallation = 1618,  // ERROR_INSTALL_ALREADY_RUNNING
  kExitInvalidCommandLine = 1639,   // ERROR_INVALID_COMMAND_LINE
  kExitInstallFailure = 1603,       // ERROR_INSTALL_FAILURE
};

#endif
