#include "housekeeping/process_termination.h"

#include <cstring>

#include "core/path_buffer.h"

namespace {

constexpr uint32_t kMaxListedProcesses = 1000;
constexpr uint32_t kModuleNameLimit = 260;
const char kUnknownModuleName[] = "Unknown";

// The C locale's upper-casing: only a-z change, every other byte (0x80 and
// above included) stays as it is, whatever the code page.
void UpperCaseInPlace(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - ('a' - 'A'));
  }
}

int TerminateFirstMatch(const ProcessSystem& system, uint32_t processId) {
  SystemHandle process = system.openProcess(system.context, kProcessTerminate, processId);
  if (process == 0) return kCannotOpenMatch;
  bool ended = system.terminateProcess(system.context, process, 0);
  system.closeHandle(system.context, process);
  return ended ? kTerminated : kTerminateFailed;
}

// The process's executable name, or "Unknown" when the process cannot be
// queried or its modules cannot be listed.
void FirstModuleName(const ProcessSystem& system, const ProcessStatusFunctions& status,
                     uint32_t processId, char* name) {
  std::memcpy(name, kUnknownModuleName, sizeof(kUnknownModuleName));
  SystemHandle process =
      system.openProcess(system.context, kProcessQueryInformation | kProcessVmRead, processId);
  if (process == 0) return;
  SystemHandle firstModule = 0;
  uint32_t needed = 0;
  if (status.enumProcessModules(status.context, process, &firstModule, sizeof(firstModule),
                                &needed))
    status.getModuleBaseNameA(status.context, process, firstModule, name, kModuleNameLimit);
  system.closeHandle(system.context, process);
}

int TerminateOnNtFamily(const char* target, const ProcessSystem& system) {
  ProcessStatusFunctions status = {};
  SystemHandle library = system.loadProcessStatus(system.context, &status);
  if (library == 0) return kProcessStatusNotLoaded;
  if (status.enumProcesses == nullptr || status.enumProcessModules == nullptr ||
      status.getModuleBaseNameA == nullptr) {
    system.freeLibrary(system.context, library);
    return kProcessStatusIncomplete;
  }
  static uint32_t processIds[kMaxListedProcesses];
  uint32_t bytesReturned = 0;
  if (!status.enumProcesses(status.context, processIds, sizeof(processIds), &bytesReturned)) {
    system.freeLibrary(system.context, library);
    return kEnumProcessesFailed;
  }
  uint32_t count = bytesReturned / sizeof(processIds[0]);
  if (count > kMaxListedProcesses) count = kMaxListedProcesses;

  int result = kNoMatchingProcess;
  for (uint32_t i = 0; i < count; ++i) {
    // One byte beyond the limit stays zero, so a name that fills the limit
    // without a terminator is still read as a string.
    char name[kModuleNameLimit + 1] = {};
    FirstModuleName(system, status, processIds[i], name);
    UpperCaseInPlace(name);
    if (std::strcmp(name, target) == 0) {
      result = TerminateFirstMatch(system, processIds[i]);
      break;
    }
  }
  system.freeLibrary(system.context, library);
  return result;
}

// True when any module of the process is named exactly `target`. The module
// snapshot is left open for the caller; it is kInvalidHandleValue when it
// could not be taken.
bool ProcessHasModule(const ToolHelpFunctions& toolHelp, uint32_t processId, const char* target,
                      SystemHandle* moduleSnapshot) {
  *moduleSnapshot = toolHelp.createToolhelp32Snapshot(toolHelp.context, kSnapModule, processId);
  if (*moduleSnapshot == kInvalidHandleValue) return false;
  ToolHelpModuleEntry module = {};
  for (bool more = toolHelp.module32First(toolHelp.context, *moduleSnapshot, &module); more;
       more = toolHelp.module32Next(toolHelp.context, *moduleSnapshot, &module)) {
    module.module[sizeof(module.module) - 1] = '\0';
    if (std::strcmp(module.module, target) == 0) return true;
  }
  return false;
}

int TerminateOnWindows95Family(const char* target, const ProcessSystem& system) {
  ToolHelpFunctions toolHelp = {};
  SystemHandle library = system.loadToolHelp(system.context, &toolHelp);
  if (library == 0) return kToolHelpNotLoaded;
  if (toolHelp.createToolhelp32Snapshot == nullptr || toolHelp.process32First == nullptr ||
      toolHelp.process32Next == nullptr || toolHelp.module32First == nullptr ||
      toolHelp.module32Next == nullptr) {
    system.freeLibrary(system.context, library);
    return kToolHelpIncomplete;
  }
  SystemHandle processSnapshot =
      toolHelp.createToolhelp32Snapshot(toolHelp.context, kSnapProcess, 0);
  if (processSnapshot == kInvalidHandleValue) {
    system.freeLibrary(system.context, library);
    return kSnapshotFailed;
  }
  int result = kNoMatchingProcess;
  ToolHelpProcessEntry process = {};
  for (bool more = toolHelp.process32First(toolHelp.context, processSnapshot, &process); more;
       more = toolHelp.process32Next(toolHelp.context, processSnapshot, &process)) {
    SystemHandle moduleSnapshot;
    bool match = ProcessHasModule(toolHelp, process.processId, target, &moduleSnapshot);
    if (moduleSnapshot == kInvalidHandleValue) {
      result = kSnapshotFailed;
      break;
    }
    if (match) {
      // The module snapshot stays open until the process has been dealt
      // with, then both snapshots are closed.
      result = TerminateFirstMatch(system, process.processId);
      system.closeHandle(system.context, moduleSnapshot);
      break;
    }
    system.closeHandle(system.context, moduleSnapshot);
  }
  system.closeHandle(system.context, processSnapshot);
  system.freeLibrary(system.context, library);
  return result;
}

}  // namespace

int TerminateProcessByImageNameWith(const char* imageName, const ProcessSystem& system) {
  size_t length = std::strlen(imageName);
  if (length < 1 || length > kPathBufferSize - 1) return kBadImageName;
  char target[kPathBufferSize];
  std::memcpy(target, imageName, length + 1);
  UpperCaseInPlace(target);

  OsVersion version;
  if (!system.queryOsVersion(system.context, &version)) return kVersionQueryFailed;
  if (version.platformId == kPlatformWin32Nt) return TerminateOnNtFamily(target, system);
  if (version.platformId == kPlatformWin32Windows) return TerminateOnWindows95Family(target, system);
  return kUnknownPlatformFamily;
}

int TerminateProcessByImageName(const char* imageName) {
  return TerminateProcessByImageNameWith(imageName, RunningProcessSystem());
}

HelperProcessOutcome EndHelperProcess(const char* imageName) {
  HelperProcessOutcome outcome;
  outcome.ran = true;
  outcome.imageName = imageName;
  if (imageName != nullptr) outcome.result = TerminateProcessByImageName(imageName);
  return outcome;
}
