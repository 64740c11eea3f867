#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/library_entry.h"
#include "platform/system_library.h"

namespace {

// Job objects came with Windows 2000: the 95 family and NT 4.0 do not export
// these, so they are looked up, never imported.
using CreateJobObjectEntry = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCSTR);
using AssignProcessToJobObjectEntry = BOOL(WINAPI*)(HANDLE, HANDLE);
using SetInformationJobObjectEntry = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
using QueryInformationJobObjectEntry = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD,
                                                     LPDWORD);

struct JobFunctions {
  HMODULE library = nullptr;
  CreateJobObjectEntry create = nullptr;
  AssignProcessToJobObjectEntry assign = nullptr;
  SetInformationJobObjectEntry set = nullptr;
  QueryInformationJobObjectEntry query = nullptr;
};

// Held from the start of a watched child to the end of its wait.
JobFunctions jobFunctions;

bool LoadJobFunctions() {
  jobFunctions.library = LoadSystemLibrary("Kernel32.DLL");
  if (jobFunctions.library == nullptr) return false;
  jobFunctions.create = LookUp<CreateJobObjectEntry>(jobFunctions.library, "CreateJobObjectA");
  jobFunctions.assign =
      LookUp<AssignProcessToJobObjectEntry>(jobFunctions.library, "AssignProcessToJobObject");
  jobFunctions.set =
      LookUp<SetInformationJobObjectEntry>(jobFunctions.library, "SetInformationJobObject");
  jobFunctions.query =
      LookUp<QueryInformationJobObjectEntry>(jobFunctions.library, "QueryInformationJobObject");
  if (jobFunctions.create && jobFunctions.assign && jobFunctions.set && jobFunctions.query)
    return true;
  FreeLibrary(jobFunctions.library);
  jobFunctions = JobFunctions();
  return false;
}

void ReleaseJobFunctions() {
  if (jobFunctions.library != nullptr) FreeLibrary(jobFunctions.library);
  jobFunctions = JobFunctions();
}

// A job of the launcher's own for the setup tree. A process in it may still
// leave it on purpose (CREATE_BREAKAWAY_FROM_JOB), as it could without the
// launcher; such a process is not waited for. Closing the job leaves its
// processes running.
HANDLE CreateTreeJob() {
  HANDLE job = jobFunctions.create(nullptr, nullptr);
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  jobFunctions.set(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  return job;
}

// Counted, not notified: messages to a completion port may be lost, the
// job's count of active processes is not.
void WaitUntilJobIsEmpty(HANDLE job) {
  const DWORD kPollMs = 50;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
  while (jobFunctions.query(job, JobObjectBasicAccountingInformation, &info, sizeof(info),
                            nullptr) &&
         info.ActiveProcesses != 0) {
    Sleep(kPollMs);
  }
}

// The program is named apart from the command line, so the system never
// splits the line to guess which file to run.
bool CreateChild(const char* program, const char* commandLine, DWORD flags,
                 PROCESS_INFORMATION* info) {
  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(commandLine, commandLine + std::strlen(commandLine) + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, info) != 0;
}

}  // namespace

bool IsStartableFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool StartProcess(const char* program, const char* commandLine, ChildProcess* child) {
  PROCESS_INFORMATION info = {};
  if (!CreateChild(program, commandLine, 0, &info)) {
    child->startError = GetLastError();
    return false;
  }
  CloseHandle(info.hThread);
  child->handle = reinterpret_cast<intptr_t>(info.hProcess);
  return true;
}

bool StartProcessTree(const char* program, const char* commandLine, ChildProcess* child) {
  if (!LoadJobFunctions()) {
    child->treeWatch = TreeWatch::kNoJobObjects;
    return StartProcess(program, commandLine, child);
  }
  HANDLE job = CreateTreeJob();
  if (job == nullptr) {
    child->treeWatch = TreeWatch::kNotInJob;
    child->treeError = GetLastError();
    ReleaseJobFunctions();
    return StartProcess(program, commandLine, child);
  }
  // Suspended, so that the child is in the job before it can start anything.
  PROCESS_INFORMATION info = {};
  if (!CreateChild(program, commandLine, CREATE_SUSPENDED, &info)) {
    child->startError = GetLastError();
    CloseHandle(job);
    ReleaseJobFunctions();
    return false;
  }
  if (jobFunctions.assign(job, info.hProcess)) {
    child->treeWatch = TreeWatch::kWatched;
    child->job = reinterpret_cast<intptr_t>(job);
  } else {
    // Before Windows 8 a process in a job cannot join a second one. Leaving
    // the launcher's own job is not tried: whoever made it waits through it.
    child->treeWatch = TreeWatch::kNotInJob;
    child->treeError = GetLastError();
    CloseHandle(job);
    ReleaseJobFunctions();
  }
  if (ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
    // A child that never runs would be waited for for ever.
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (child->job != 0) CloseHandle(reinterpret_cast<HANDLE>(child->job));
    child->job = 0;
    ReleaseJobFunctions();
    return false;
  }
  CloseHandle(info.hThread);
  child->handle = reinterpret_cast<intptr_t>(info.hProcess);
  return true;
}

void WaitForProcessEnd(ChildProcess* child) {
  HANDLE process = reinterpret_cast<HANDLE>(child->handle);
  DWORD code = 0;
  child->exitCodeKnown = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
                         GetExitCodeProcess(process, &code) != 0;
  child->exitCode = child->exitCodeKnown ? code : 0;
  CloseHandle(process);
  child->handle = 0;
  if (child->job != 0) {
    HANDLE job = reinterpret_cast<HANDLE>(child->job);
    WaitUntilJobIsEmpty(job);
    CloseHandle(job);
    child->job = 0;
    ReleaseJobFunctions();
  }
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool IsProcessRunning(uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  // Only an identifier that names no process at all is known to be free;
  // a process we may not query (access denied) is someone's, and running.
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}
