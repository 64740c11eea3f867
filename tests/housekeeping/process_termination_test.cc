#include "housekeeping/process_termination.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A made-up system: processes with their modules, and every way the system
// calls can fail. The fake functions reach it through the tables' context.
struct FakeProcess {
  uint32_t id;
  std::vector<std::string> modules;  // the executable first
  bool queryable = true;              // opens for querying
  bool modulesListable = true;
  bool openableForEnd = true;
  bool endable = true;
  bool moduleSnapshotFails = false;
};

struct FakeWorld {
  bool versionFails = false;
  uint32_t platformId = kPlatformWin32Nt;
  bool libraryFails = false;
  std::string missingEntry;
  bool enumFails = false;
  bool processSnapshotFails = false;
  std::vector<FakeProcess> processes;

  int versionQueries = 0;
  int librariesLoaded = 0;
  int librariesFreed = 0;
  int openHandles = 0;
  uint32_t enumBytes = 0;
  uint32_t moduleRoom = 0;
  std::vector<uint32_t> ended;

  // Walk positions of the current snapshots.
  size_t processCursor = 0;
  size_t moduleCursor = 0;

  const FakeProcess* Find(uint32_t id) const {
    for (const FakeProcess& process : processes) {
      if (process.id == id) return &process;
    }
    return nullptr;
  }
  // Handles: processes are 0x10000 + id, module snapshots 0x20000 + id, the
  // process snapshot 0x30000.
  const FakeProcess* FromHandle(SystemHandle handle) const {
    return Find(static_cast<uint32_t>(handle & 0xFFFF));
  }
  template <typename Entry>
  Entry Unless(const char* name, Entry entry) const {
    return missingEntry == name ? nullptr : entry;
  }
};

FakeWorld& World(void* context) { return *static_cast<FakeWorld*>(context); }

bool QueryVersion(void* context, OsVersion* version) {
  FakeWorld& world = World(context);
  ++world.versionQueries;
  if (world.versionFails) return false;
  *version = {world.platformId, 5, 1};
  return true;
}

bool EnumProcesses(void* context, uint32_t* ids, uint32_t bytes, uint32_t* bytesReturned) {
  FakeWorld& world = World(context);
  world.enumBytes = bytes;
  if (world.enumFails) return false;
  uint32_t count = 0;
  for (const FakeProcess& process : world.processes) {
    if (count == bytes / 4) break;
    ids[count++] = process.id;
  }
  *bytesReturned = count * 4;
  return true;
}

bool EnumProcessModules(void* context, SystemHandle process, SystemHandle* modules,
                        uint32_t bytes, uint32_t* needed) {
  FakeWorld& world = World(context);
  world.moduleRoom = bytes;
  const FakeProcess* found = world.FromHandle(process);
  if (!found->modulesListable || found->modules.empty()) return false;
  *needed = static_cast<uint32_t>(found->modules.size() * sizeof(SystemHandle));
  for (size_t i = 0; i < found->modules.size() && i < bytes / sizeof(SystemHandle); ++i)
    modules[i] = i + 1;
  return true;
}

uint32_t GetModuleBaseName(void* context, SystemHandle process, SystemHandle module, char* name,
                           uint32_t size) {
  const std::string& text = World(context).FromHandle(process)->modules.at(module - 1);
  EXPECT_EQ(size, 260u);
  size_t length = std::min<size_t>(text.size(), size - 1);
  text.copy(name, length);
  name[length] = '\0';
  return static_cast<uint32_t>(length);
}

SystemHandle LoadProcessStatus(void* context, ProcessStatusFunctions* functions) {
  FakeWorld& world = World(context);
  if (world.libraryFails) return 0;
  ++world.librariesLoaded;
  functions->context = context;
  functions->enumProcesses = world.Unless("EnumProcesses", EnumProcesses);
  functions->enumProcessModules = world.Unless("EnumProcessModules", EnumProcessModules);
  functions->getModuleBaseNameA = world.Unless("GetModuleBaseNameA", GetModuleBaseName);
  return 0x4000;
}

SystemHandle CreateSnapshot(void* context, uint32_t flags, uint32_t processId) {
  FakeWorld& world = World(context);
  if (flags == kSnapProcess) {
    EXPECT_EQ(processId, 0u);
    if (world.processSnapshotFails) return kInvalidHandleValue;
    ++world.openHandles;
    return 0x30000;
  }
  EXPECT_EQ(flags, kSnapModule);
  const FakeProcess* found = world.Find(processId);
  if (found == nullptr || found->moduleSnapshotFails) return kInvalidHandleValue;
  ++world.openHandles;
  return 0x20000 + processId;
}

bool ProcessAt(const FakeWorld& world, ToolHelpProcessEntry* entry) {
  if (world.processCursor >= world.processes.size()) return false;
  entry->processId = world.processes[world.processCursor].id;
  return true;
}
bool Process32First(void* context, SystemHandle, ToolHelpProcessEntry* entry) {
  World(context).processCursor = 0;
  return ProcessAt(World(context), entry);
}
bool Process32Next(void* context, SystemHandle, ToolHelpProcessEntry* entry) {
  ++World(context).processCursor;
  return ProcessAt(World(context), entry);
}
bool ModuleAt(const FakeWorld& world, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  const FakeProcess* process = world.FromHandle(snapshot);
  if (world.moduleCursor >= process->modules.size()) return false;
  snprintf(entry->module, sizeof(entry->module), "%s",
           process->modules[world.moduleCursor].c_str());
  return true;
}
bool Module32First(void* context, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  World(context).moduleCursor = 0;
  return ModuleAt(World(context), snapshot, entry);
}
bool Module32Next(void* context, SystemHandle snapshot, ToolHelpModuleEntry* entry) {
  ++World(context).moduleCursor;
  return ModuleAt(World(context), snapshot, entry);
}

SystemHandle LoadToolHelp(void* context, ToolHelpFunctions* functions) {
  FakeWorld& world = World(context);
  if (world.libraryFails) return 0;
  ++world.librariesLoaded;
  functions->context = context;
  functions->createToolhelp32Snapshot = world.Unless("CreateToolhelp32Snapshot", CreateSnapshot);
  functions->process32First = world.Unless("Process32First", Process32First);
  functions->process32Next = world.Unless("Process32Next", Process32Next);
  functions->module32First = world.Unless("Module32First", Module32First);
  functions->module32Next = world.Unless("Module32Next", Module32Next);
  return 0x5000;
}

void FreeLibrary(void* context, SystemHandle) { ++World(context).librariesFreed; }

SystemHandle OpenProcess(void* context, uint32_t access, uint32_t processId) {
  FakeWorld& world = World(context);
  const FakeProcess* found = world.Find(processId);
  if (found == nullptr) return 0;
  if (access == (kProcessQueryInformation | kProcessVmRead)) {
    if (!found->queryable) return 0;
  } else {
    EXPECT_EQ(access, kProcessTerminate);
    if (!found->openableForEnd) return 0;
  }
  ++world.openHandles;
  return 0x10000 + processId;
}

bool TerminateProcess(void* context, SystemHandle process, uint32_t exitCode) {
  EXPECT_EQ(exitCode, 0u);
  FakeWorld& world = World(context);
  const FakeProcess* found = world.FromHandle(process);
  if (!found->endable) return false;
  world.ended.push_back(found->id);
  return true;
}

void CloseHandle(void* context, SystemHandle) { --World(context).openHandles; }

class TerminateByName : public ::testing::Test {
 protected:
  // Whatever happened, every handle was closed and the library released.
  void TearDown() override {
    EXPECT_EQ(fake.openHandles, 0);
    EXPECT_EQ(fake.librariesLoaded, fake.librariesFreed);
  }
  int Run(const char* name) {
    const ProcessSystem system = {&fake,       QueryVersion, LoadProcessStatus, LoadToolHelp,
                                  FreeLibrary, OpenProcess,  TerminateProcess,  CloseHandle};
    return TerminateProcessByImageNameWith(name, system);
  }
  void Windows95() { fake.platformId = kPlatformWin32Windows; }

  FakeWorld fake;
};

using Ended = std::vector<uint32_t>;

TEST_F(TerminateByName, NameLengthIsCheckedBeforeAnySystemQuery) {
  fake.processes = {{8, {"a.exe"}}};
  EXPECT_EQ(Run(""), kBadImageName);
  EXPECT_EQ(Run(std::string(261, 'a').c_str()), kBadImageName);
  EXPECT_EQ(fake.versionQueries, 0);
  // No module name is that long, but the search runs.
  EXPECT_EQ(Run(std::string(260, 'a').c_str()), kNoMatchingProcess);
  EXPECT_EQ(fake.versionQueries, 1);
}

TEST_F(TerminateByName, VersionQueryDecidesThePath) {
  fake.versionFails = true;
  EXPECT_EQ(Run("x.exe"), kVersionQueryFailed);
  fake.versionFails = false;
  fake.platformId = kPlatformWin32s;
  EXPECT_EQ(Run("x.exe"), kUnknownPlatformFamily);
  fake.platformId = 3;
  EXPECT_EQ(Run("x.exe"), kUnknownPlatformFamily);
  EXPECT_EQ(fake.librariesLoaded, 0);
}

TEST_F(TerminateByName, NtLibraryFailures) {
  fake.libraryFails = true;
  EXPECT_EQ(Run("x.exe"), kProcessStatusNotLoaded);
  fake.libraryFails = false;
  for (const char* entry : {"EnumProcesses", "EnumProcessModules", "GetModuleBaseNameA"}) {
    fake.missingEntry = entry;
    EXPECT_EQ(Run("x.exe"), kProcessStatusIncomplete) << entry;
  }
  fake.missingEntry.clear();
  fake.enumFails = true;
  EXPECT_EQ(Run("x.exe"), kEnumProcessesFailed);
  fake.enumFails = false;
  EXPECT_EQ(Run("x.exe"), kNoMatchingProcess);  // an empty list
}

TEST_F(TerminateByName, NtComparesExecutableNamesIgnoringTheCaseOfAToZOnly) {
  fake.processes = {{4, {"Ormlatch.exe"}}};
  for (const char* name : {"ormlatch.exe", "ORMLATCH.EXE", "OrMlAtCh.ExE"}) {
    fake.ended.clear();
    EXPECT_EQ(Run(name), kTerminated) << name;
    EXPECT_EQ(fake.ended, Ended{4});
  }
  for (const char* name : {"Ormlatch.ex", "Ormlatch.exe ", "Ormlatch", "Ormlatch.exe.exe"})
    EXPECT_EQ(Run(name), kNoMatchingProcess) << name;

  // Bytes of 0x80 and above are compared unchanged: a Latin-1 lower-case
  // letter does not meet its upper-case form.
  fake.processes = {{5, {"\xe4rger.exe"}}};
  EXPECT_EQ(Run("\xc4RGER.EXE"), kNoMatchingProcess);
  EXPECT_EQ(Run("\xe4RGER.exe"), kTerminated);
}

TEST_F(TerminateByName, NtNamesOnlyTheExecutable) {
  fake.processes = {{4, {"Host.exe", "Ormlatch.exe"}}};
  EXPECT_EQ(Run("Ormlatch.exe"), kNoMatchingProcess);
  EXPECT_EQ(fake.moduleRoom, sizeof(SystemHandle));
}

TEST_F(TerminateByName, NtProcessesThatCannotBeQueriedAreNamedUnknown) {
  fake.processes = {{4, {"a.exe"}}, {5, {"b.exe"}}, {6, {"c.exe"}}};
  fake.processes[1].modulesListable = false;
  fake.processes[2].queryable = false;
  EXPECT_EQ(Run("UNKNOWN"), kTerminated);
  EXPECT_EQ(fake.ended, Ended{5});
  fake.ended.clear();
  fake.processes[1].modulesListable = true;
  EXPECT_EQ(Run("unknown"), kTerminated);
  EXPECT_EQ(fake.ended, Ended{6});
}

TEST_F(TerminateByName, NtLooksAtTheFirstThousandProcessesOnly) {
  for (uint32_t id = 1; id <= 1001; ++id) fake.processes.push_back({id, {"other.exe"}});
  fake.processes[1000].modules = {"Ormlatch.exe"};
  EXPECT_EQ(Run("Ormlatch.exe"), kNoMatchingProcess);
  EXPECT_EQ(fake.enumBytes, 4000u);
  fake.processes[999].modules = {"Ormlatch.exe"};
  EXPECT_EQ(Run("Ormlatch.exe"), kTerminated);
  EXPECT_EQ(fake.ended, Ended{1000});
}

// Both paths: only the first match is acted on, whatever becomes of it.
TEST_F(TerminateByName, OnlyTheFirstMatchIsActedOn) {
  for (uint32_t family : {kPlatformWin32Nt, kPlatformWin32Windows}) {
    fake.platformId = family;
    fake.processes = {{4, {"OTHER.EXE"}}, {7, {"ORMLATCH.EXE"}}, {9, {"ORMLATCH.EXE"}}};
    fake.ended.clear();
    EXPECT_EQ(Run("Ormlatch.exe"), kTerminated);
    EXPECT_EQ(fake.ended, Ended{7});

    fake.ended.clear();
    fake.processes[1].openableForEnd = false;
    EXPECT_EQ(Run("Ormlatch.exe"), kCannotOpenMatch);
    EXPECT_TRUE(fake.ended.empty());

    fake.processes[1].openableForEnd = true;
    fake.processes[1].endable = false;
    EXPECT_EQ(Run("Ormlatch.exe"), kTerminateFailed);
    EXPECT_TRUE(fake.ended.empty());
  }
}

TEST_F(TerminateByName, Windows95LibraryAndSnapshotFailures) {
  Windows95();
  fake.libraryFails = true;
  EXPECT_EQ(Run("x.exe"), kToolHelpNotLoaded);
  fake.libraryFails = false;
  for (const char* entry : {"CreateToolhelp32Snapshot", "Process32First", "Process32Next",
                            "Module32First", "Module32Next"}) {
    fake.missingEntry = entry;
    EXPECT_EQ(Run("x.exe"), kToolHelpIncomplete) << entry;
  }
  fake.missingEntry.clear();
  fake.processSnapshotFails = true;
  EXPECT_EQ(Run("x.exe"), kSnapshotFailed);
  fake.processSnapshotFails = false;
  EXPECT_EQ(Run("x.exe"), kNoMatchingProcess);  // an empty snapshot

  // A module snapshot that fails ends the search, even before a match.
  fake.processes = {{4, {"A.EXE"}}, {5, {"B.EXE"}}, {6, {"ORMLATCH.EXE"}}};
  fake.processes[1].moduleSnapshotFails = true;
  EXPECT_EQ(Run("Ormlatch.exe"), kSnapshotFailed);
  EXPECT_TRUE(fake.ended.empty());
}

TEST_F(TerminateByName, Windows95ComparesEveryModuleAsReported) {
  Windows95();
  fake.processes = {{4, {"HOST.EXE", "KERNEL32.DLL", "ORMLATCH.EXE"}}};
  EXPECT_EQ(Run("ormlatch.exe"), kTerminated);
  EXPECT_EQ(fake.ended, Ended{4});

  // A reported name with any of a-z never matches the upper-cased target.
  fake.ended.clear();
  fake.processes = {{4, {"Ormlatch.exe"}}, {5, {"ormlatch.exe"}}};
  for (const char* name : {"Ormlatch.exe", "ormlatch.exe", "ORMLATCH.EXE"})
    EXPECT_EQ(Run(name), kNoMatchingProcess) << name;
  // Bytes of 0x80 and above are left as they are on this path too.
  fake.processes = {{6, {"\xe4RGER.EXE"}}};
  EXPECT_EQ(Run("\xe4rger.exe"), kTerminated);
  EXPECT_EQ(Run("\xc4rger.exe"), kNoMatchingProcess);
}

}  // namespace
