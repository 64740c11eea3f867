// The names the extraction writes files under before it moves them into
// place, and the clean-up of those that a killed run left behind.
#ifndef LAUNCHER_DEPLOY_TEMPORARY_FILES_H
#define LAUNCHER_DEPLOY_TEMPORARY_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>

// "~slx<pid, 8 hex>-<number, 6 hex>.tmp": the process that made it is in
// the name, so no run walks into another's names, and a leftover can be
// told from anybody else's file.
constexpr size_t kTemporaryNameLength = 23;

// Names tried beside one target; only a name that is taken earns another.
constexpr int kTemporaryNameTries = 1000;

// The name of temporary `number` of process `pid`, within `room`
// characters (at least 1): the full form where it fits, else a shorter "~"
// name that no clean-up takes for its own.
std::string TemporaryFileName(uint32_t pid, uint32_t number, size_t room);

// True when `name` has exactly the full form, lower-case hex and all; the
// process it names goes into `pid`.
bool ParseTemporaryFileName(const char* name, uint32_t* pid);

// Deletes the temporaries in `directory` (a path ending with "\") whose
// process no longer runs, or that bear `ownPid` (found before this run wrote
// there, they are an earlier process's under a reused identifier). A file
// another process holds open is never deleted. Returns how many went.
uint32_t RemoveStaleTemporaries(const std::string& directory, uint32_t ownPid);

#endif
