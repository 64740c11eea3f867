#include "platform/process.h"

#include <spawn.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/text.h"

extern char** environ;

namespace {

bool IsExecutableFile(const std::string& native) {
  struct stat info;
  return stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(native.c_str(), X_OK) == 0;
}

// The Windows error code a start that failed with `error` stands for.
unsigned long WindowsStartError(int error) {
  switch (error) {
    case ENOENT: return 2;     // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;    // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EISDIR: return 5;     // ERROR_ACCESS_DENIED
    case ENOEXEC: return 193;  // ERROR_BAD_EXE_FORMAT
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case ENOMEM: return 8;     // ERROR_NOT_ENOUGH_MEMORY
    default: return 0;
  }
}

// Why `native` cannot be started, as a Windows error code.
unsigned long WhyNotStartable(const std::string& native) {
  struct stat info;
  if (stat(native.c_str(), &info) != 0) return WindowsStartError(errno);
  if (!S_ISREG(info.st_mode)) return 5;  // a folder cannot be started
  if (access(native.c_str(), X_OK) != 0) return WindowsStartError(errno);
  return 0;
}

}  // namespace

bool IsStartableFile(const std::string& path) {
  std::string native;
  return NativePath(path.c_str(), &native) && IsExecutableFile(native);
}

bool StartProcess(const char* program, const char* commandLine, ChildProcess* child) {
  std::string native;
  if (!NativePath(program, &native)) {
    child->startError = 3;  // ERROR_PATH_NOT_FOUND: no drive maps it
    return false;
  }
  if (!IsExecutableFile(native)) {
    child->startError = WhyNotStartable(native);
    return false;
  }
  // The program sees the arguments its own runtime would split from the
  // command line.
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  pid_t pid;
  const int spawned = posix_spawn(&pid, native.c_str(), nullptr, nullptr, argv.data(), environ);
  if (spawned != 0) {
    child->startError = WindowsStartError(spawned);
    return false;
  }
  child->handle = pid;
  return true;
}

namespace {

// A subreaper inherits the orphans of its descendants instead of init, so
// every process of the child's tree ends up as a child of the launcher
// before its parent can be reaped.
bool SetSubreaper(bool on) {
#ifdef PR_SET_CHILD_SUBREAPER
  return prctl(PR_SET_CHILD_SUBREAPER, on ? 1 : 0, 0, 0, 0) == 0;
#else
  (void)on;
  return false;
#endif
}

}  // namespace

bool StartProcessTree(const char* program, const char* commandLine, ChildProcess* child) {
  const bool watched = SetSubreaper(true);
  child->treeWatch = watched ? TreeWatch::kWatched : TreeWatch::kNoSubreaper;
  if (StartProcess(program, commandLine, child)) return true;
  if (watched) SetSubreaper(false);
  return false;
}

void WaitForProcessEnd(ChildProcess* child) {
  int status = 0;
  pid_t ended;
  while ((ended = waitpid(static_cast<pid_t>(child->handle), &status, 0)) < 0 && errno == EINTR) {
  }
  child->exitCodeKnown = ended > 0 && WIFEXITED(status);
  child->exitCode = child->exitCodeKnown ? static_cast<uint32_t>(WEXITSTATUS(status)) : 0;
  child->handle = 0;
  if (child->treeWatch != TreeWatch::kWatched) return;
  // The launcher has no other children while setup runs: whatever is left
  // is setup's tree, and it is gone when there is no child to wait for.
  int ignored;
  while (waitpid(-1, &ignored, 0) > 0 || errno == EINTR) {
  }
  SetSubreaper(false);
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool IsProcessRunning(uint32_t processId) {
  // 0 and values beyond pid_t would name a process group, not a process.
  if (processId == 0 || processId > 0x7FFFFFFFu) return false;
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}
