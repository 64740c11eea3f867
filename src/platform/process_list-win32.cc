#include "platform/process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "platform/library_entry.h"
#include "platform/system_library.h"

namespace {

// The entry points as the libraries export them; the table's functions
// forward to these.
using EnumProcessesEntry = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesEntry = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameEntry = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using CreateSnapshotEntry = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkEntry = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using ModuleWalkEntry = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);

EnumProcessesEntry enumProcessesEntry;
EnumProcessModulesEntry enumProcessModulesEntry;
GetModuleBaseNameEntry getModuleBaseNameEntry;
CreateSnapshotEntry createSnapshotEntry;
ProcessWalkEntry process32FirstEntry;
ProcessWalkEntry process32NextEntry;
ModuleWalkEntry module32FirstEntry;
ModuleWalkEntry module32NextEntry;

HANDLE ToWin(SystemHandle handle) { return reinterpret_cast<HANDLE>(handle); }
SystemHandle FromWin(HANDLE handle) { return reinterpret_cast<SystemHandle>(handle); }

bool EnumProcessesForward(void*, uint32_t* ids, uint32_t bytes, uint32_t* bytesReturned) {
  std::vector<DWORD> list(bytes / sizeof(DWORD) + 1);
  DWORD filled = 0;
  if (!enumProcessesEntry(list.data(), bytes / sizeof(DWORD) * sizeof(DWORD), &filled))
    return false;
  if (filled > bytes) filled = bytes / sizeof(DWORD) * sizeof(DWORD);
  for (DWORD i = 0; i < filled / sizeof(DWORD); ++i) ids[i] = list[i];
  *bytesReturned = filled;
  return true;
}

bool EnumProcessModulesForward(void*, SystemHandle process, SystemHandle* modules,
                               uint32_t bytes, uint32_t* bytesNeeded) {
  std::vector<HMODULE> list(bytes / sizeof(HMODULE) + 1);
  DWORD needed = 0;
  if (!enumProcessModulesEntry(ToWin(process), list.data(),
                               bytes / sizeof(HMODULE) * sizeof(HMODULE), &needed))
    return false;
  DWORD filled = needed < bytes ? needed : bytes;
  for (DWORD i = 0; i < filled / sizeof(HMODULE); ++i)
    modules[i] = reinterpret_cast<SystemHandle>(list[i]);
  *bytesNeeded = needed;
  return true;
}

uint32_t GetModuleBaseNameForward(void*, SystemHandle process, SystemHandle module, char* name,
                                  uint32_t size) {
  return getModuleBaseNameEntry(ToWin(process), reinterpret_cast<HMODULE>(module), name, size);
}

SystemHandle CreateSnapshotForward(void*, uint32_t flags, uint32_t processId) {
  return FromWin(createSnapshotEntry(flags, processId));
}

bool ProcessWalk(ProcessWalkEntry walk, SystemHandle snapshot, ToolHelpProcessEntry* entry) {
  PROCESSENTRY32 found;
  std::memset(&found, 0, sizeof(found));
  found.dwSize = sizeof(found);
  if (!walk(ToWin(snapshot), &found)) return false;
  entry->processId = found.th32ProcessID;
  return true;
}

bool ModuleWalk(ModuleWalkEntry walk, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  MODULEENTRY32 found;
  std::memset(&found, 0, sizeof(found));
  found.dwSize = sizeof(found);
  if (!walk(ToWin(snapshot), &found)) return false;
  static_assert(sizeof(entry->module) == sizeof(found.szModule), "module name width");
  std::memcpy(entry->module, found.szModule, sizeof(entry->module));
  entry->module[sizeof(entry->module) - 1] = '\0';
  return true;
}

bool Process32FirstForward(void*, SystemHandle snapshot, ToolHelpProcessEntry* entry) {
  return ProcessWalk(process32FirstEntry, snapshot, entry);
}
bool Process32NextForward(void*, SystemHandle snapshot, ToolHelpProcessEntry* entry) {
  return ProcessWalk(process32NextEntry, snapshot, entry);
}
bool Module32FirstForward(void*, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  return ModuleWalk(module32FirstEntry, snapshot, entry);
}
bool Module32NextForward(void*, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  return ModuleWalk(module32NextEntry, snapshot, entry);
}

SystemHandle LoadProcessStatus(void*, ProcessStatusFunctions* functions) {
  HMODULE library = LoadSystemLibrary("PSAPI.DLL");
  if (library == nullptr) return 0;
  enumProcessesEntry = LookUp<EnumProcessesEntry>(library, "EnumProcesses");
  enumProcessModulesEntry = LookUp<EnumProcessModulesEntry>(library, "EnumProcessModules");
  getModuleBaseNameEntry = LookUp<GetModuleBaseNameEntry>(library, "GetModuleBaseNameA");
  functions->context = nullptr;
  functions->enumProcesses = enumProcessesEntry ? EnumProcessesForward : nullptr;
  functions->enumProcessModules = enumProcessModulesEntry ? EnumProcessModulesForward : nullptr;
  functions->getModuleBaseNameA = getModuleBaseNameEntry ? GetModuleBaseNameForward : nullptr;
  return reinterpret_cast<SystemHandle>(library);
}

SystemHandle LoadToolHelp(void*, ToolHelpFunctions* functions) {
  HMODULE library = LoadSystemLibrary("Kernel32.DLL");
  if (library == nullptr) return 0;
  createSnapshotEntry = LookUp<CreateSnapshotEntry>(library, "CreateToolhelp32Snapshot");
  process32FirstEntry = LookUp<ProcessWalkEntry>(library, "Process32First");
  process32NextEntry = LookUp<ProcessWalkEntry>(library, "Process32Next");
  module32FirstEntry = LookUp<ModuleWalkEntry>(library, "Module32First");
  module32NextEntry = LookUp<ModuleWalkEntry>(library, "Module32Next");
  functions->context = nullptr;
  functions->createToolhelp32Snapshot = createSnapshotEntry ? CreateSnapshotForward : nullptr;
  functions->process32First = process32FirstEntry ? Process32FirstForward : nullptr;
  functions->process32Next = process32NextEntry ? Process32NextForward : nullptr;
  functions->module32First = module32FirstEntry ? Module32FirstForward : nullptr;
  functions->module32Next = module32NextEntry ? Module32NextForward : nullptr;
  return reinterpret_cast<SystemHandle>(library);
}

void FreeLibraryHandle(void*, SystemHandle library) {
  FreeLibrary(reinterpret_cast<HMODULE>(library));
}

SystemHandle OpenProcessHandle(void*, uint32_t access, uint32_t processId) {
  return FromWin(OpenProcess(access, FALSE, processId));
}

bool TerminateProcessHandle(void*, SystemHandle process, uint32_t exitCode) {
  return TerminateProcess(ToWin(process), exitCode) != 0;
}

void CloseSystemHandle(void*, SystemHandle handle) { CloseHandle(ToWin(handle)); }

bool QueryVersion(void*, OsVersion* version) { return QueryOsVersion(version); }

}  // namespace

const ProcessSystem& RunningProcessSystem() {
  static const ProcessSystem system = {nullptr,           QueryVersion,      LoadProcessStatus,
                                       LoadToolHelp,      FreeLibraryHandle, OpenProcessHandle,
                                       TerminateProcessHandle, CloseSystemHandle};
  return system;
}
