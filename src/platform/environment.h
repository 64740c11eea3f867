#ifndef LAUNCHER_PLATFORM_ENVIRONMENT_H
#define LAUNCHER_PLATFORM_ENVIRONMENT_H

#include <cstdlib>

// A variable of the launcher's own environment as the runtime sees it, or
// null when it is not set. On POSIX systems path values may be in drive form
// or plain host paths; the file functions accept both.
inline const char* GetEnvironmentValue(const char* name) { return std::getenv(name); }

#endif
