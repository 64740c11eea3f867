#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <vector>

bool StartProcess(const char* commandLine, ChildProcess* child) {
  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(commandLine, commandLine + std::strlen(commandLine) + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
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
}
