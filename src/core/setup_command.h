#ifndef LAUNCHER_CORE_SETUP_COMMAND_H
#define LAUNCHER_CORE_SETUP_COMMAND_H

#include <cstddef>

constexpr size_t kSetupCommandSize = 520;

// The setup program's path: the launcher's module path with everything after
// its last backslash replaced by `setupProgram` (appended when there is no
// backslash). False, with `setupPath` empty, when it would not fit.
bool BuildSetupPath(const char* modulePath, const char* setupProgram, char* setupPath);

// "<setup path> <tail>", or the setup path alone for an empty tail. False,
// with `command` empty, when it would not fit kSetupCommandSize.
bool BuildSetupCommand(const char* setupPath, const char* commandTail, char* command);

#endif
