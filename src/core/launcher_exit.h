#ifndef LAUNCHER_CORE_LAUNCHER_EXIT_H
#define LAUNCHER_CORE_LAUNCHER_EXIT_H

// Every way out of the launcher: status 1, whatever happened, so that the
// status never pretends to report the outcome.
[[noreturn]] void EndLauncher();

#endif
