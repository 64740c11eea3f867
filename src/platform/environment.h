#ifndef LAUNCHER_PLATFORM_ENVIRONMENT_H
#define LAUNCHER_PLATFORM_ENVIRONMENT_H

// A variable of the launcher's own environment as the runtime sees it, or
// null when it is not set. On POSIX systems a value that starts with "/" is
// a host path and comes back in drive form ("/srv/x" -> "Z:\srv\x"), so that
// the logic finds its backslashes; the pointer stays valid for the process.
const char* GetEnvironmentValue(const char* name);

#endif
