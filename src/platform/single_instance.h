#ifndef LAUNCHER_PLATFORM_SINGLE_INSTANCE_H
#define LAUNCHER_PLATFORM_SINGLE_INSTANCE_H

enum class NamedMutexResult { kCreated, kAlreadyExists, kFailed };

// Creates (or opens) the named mutex `name`, not owned, and keeps it until
// the process ends. Names are case-sensitive, as Windows object names are.
NamedMutexResult CreateNamedMutex(const char* name);

#endif
