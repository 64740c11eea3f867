#include "platform/process.h"

#include <dirent.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// An open process: its identifier and, where the kernel offers one, a pidfd
// that pins it.
struct OpenedProcess {
  pid_t pid;
  int pidfd;
};

std::string ProcFile(pid_t pid, const char* name) {
  return "/proc/" + std::to_string(pid) + "/" + name;
}

bool ReadSmallFile(const std::string& path, std::string* contents) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t got = std::fread(buffer, 1, sizeof(buffer), file);
  std::fclose(file);
  contents->assign(buffer, got);
  return true;
}

std::string LastComponent(const std::string& path, const char* separators) {
  std::string::size_type cut = path.find_last_of(separators);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsWineLoader(const std::string& name) {
  return name == "wine" || name == "wine64" || name == "wine-preloader" ||
         name == "wine64-preloader" || name == "wine32";
}

// The first argument of the process's command line, empty when it has none.
std::string FirstArgument(pid_t pid) {
  std::string cmdline;
  if (!ReadSmallFile(ProcFile(pid, "cmdline"), &cmdline)) return std::string();
  return cmdline.substr(0, cmdline.find('\0'));
}

// The image name of a process; false when it has no executable (a kernel
// thread, or a process that has ended).
bool ImageName(pid_t pid, std::string* name) {
  char target[4096];
  ssize_t length = readlink(ProcFile(pid, "exe").c_str(), target, sizeof(target) - 1);
  if (length >= 0) {
    std::string exe(target, static_cast<size_t>(length));
    static const char kDeleted[] = " (deleted)";
    const size_t markLength = sizeof(kDeleted) - 1;
    if (exe.size() > markLength && exe.compare(exe.size() - markLength, markLength, kDeleted) == 0)
      exe.erase(exe.size() - markLength);
    *name = LastComponent(exe, "/");
    if (IsWineLoader(*name)) {
      // Wine passes on the program's command line, whose first token may
      // lack the ".exe" that Windows added to find the program.
      std::string windowsName = LastComponent(FirstArgument(pid), "\\/");
      if (!windowsName.empty()) {
        if (windowsName.find('.') == std::string::npos) windowsName += ".exe";
        *name = windowsName;
      }
    }
    return true;
  }
  if (errno != EACCES) return false;
  *name = LastComponent(FirstArgument(pid), "/");
  if (!name->empty()) return true;
  std::string comm;
  if (!ReadSmallFile(ProcFile(pid, "comm"), &comm)) return false;
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  *name = comm;
  return !name->empty();
}

bool EnumProcessesFromProc(void*, uint32_t* ids, uint32_t bytes, uint32_t* bytesReturned) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  uint32_t capacity = bytes / 4;
  uint32_t count = 0;
  while (count < capacity) {
    dirent* entry = readdir(proc);
    if (entry == nullptr) break;
    char* end = nullptr;
    unsigned long id = std::strtoul(entry->d_name, &end, 10);
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9' || *end != '\0' || id > 0xFFFFFFFFul)
      continue;
    ids[count++] = static_cast<uint32_t>(id);
  }
  closedir(proc);
  *bytesReturned = count * 4;
  return true;
}

OpenedProcess* FromHandle(SystemHandle handle) { return reinterpret_cast<OpenedProcess*>(handle); }

bool EnumFirstModule(void*, SystemHandle process, SystemHandle* modules, uint32_t bytes,
                     uint32_t* bytesNeeded) {
  std::string name;
  if (!ImageName(FromHandle(process)->pid, &name)) return false;
  *bytesNeeded = sizeof(SystemHandle);
  if (bytes >= sizeof(SystemHandle)) modules[0] = 1;  // the executable
  return true;
}

uint32_t GetModuleBaseNameFromProc(void*, SystemHandle process, SystemHandle module, char* name,
                                   uint32_t size) {
  std::string image;
  if (module != 1 || size == 0 || !ImageName(FromHandle(process)->pid, &image)) return 0;
  size_t length = image.size() < size - 1 ? image.size() : size - 1;
  std::memcpy(name, image.data(), length);
  name[length] = '\0';
  return static_cast<uint32_t>(length);
}

SystemHandle LoadProcessStatus(void*, ProcessStatusFunctions* functions) {
  functions->context = nullptr;
  functions->enumProcesses = EnumProcessesFromProc;
  functions->enumProcessModules = EnumFirstModule;
  functions->getModuleBaseNameA = GetModuleBaseNameFromProc;
  return 1;
}

SystemHandle LoadToolHelp(void*, ToolHelpFunctions* /*functions*/) { return 0; }

void FreeLibrary(void*, SystemHandle /*library*/) {}

int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

SystemHandle OpenProcess(void*, uint32_t /*access*/, uint32_t processId) {
  pid_t pid = static_cast<pid_t>(processId);
  if (pid <= 0 || static_cast<uint32_t>(pid) != processId) return 0;
  int pidfd = OpenPidfd(pid);
  if (pidfd < 0 && errno != ENOSYS) return 0;  // gone, or not ours to open
  if (kill(pid, 0) != 0) {
    if (pidfd >= 0) close(pidfd);
    return 0;
  }
  return reinterpret_cast<SystemHandle>(new OpenedProcess{pid, pidfd});
}

bool TerminateProcess(void*, SystemHandle process, uint32_t /*exitCode*/) {
  OpenedProcess* opened = FromHandle(process);
#ifdef SYS_pidfd_send_signal
  if (opened->pidfd >= 0)
    return syscall(SYS_pidfd_send_signal, opened->pidfd, SIGKILL, nullptr, 0) == 0;
#endif
  return kill(opened->pid, SIGKILL) == 0;
}

void CloseHandle(void*, SystemHandle handle) {
  OpenedProcess* opened = FromHandle(handle);
  if (opened == nullptr) return;
  if (opened->pidfd >= 0) close(opened->pidfd);
  delete opened;
}

bool QueryVersion(void*, OsVersion* version) { return QueryOsVersion(version); }

}  // namespace

const ProcessSystem& RunningProcessSystem() {
  static const ProcessSystem system = {nullptr,     QueryVersion, LoadProcessStatus,
                                       LoadToolHelp, FreeLibrary,  OpenProcess,
                                       TerminateProcess, CloseHandle};
  return system;
}
