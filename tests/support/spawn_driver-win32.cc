// spawn-driver REQUEST: starts a program with an exact command line and
// environment, waits for it and exits with its exit code. REQUEST lines:
//   set NAME=VALUE    set a variable (Wine overrides some host variables)
//   unset NAME        remove a variable
//   cmd HEX           the command line, hex-encoded byte for byte
//   nowait            do not wait; exit 0 once started
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/hex.h"

namespace {

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 120;
  std::ifstream request(argv[1]);
  std::string line, command;
  bool wait = true;
  while (std::getline(request, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("set ", 0) == 0) {
      std::string assignment = line.substr(4);
      size_t equals = assignment.find('=');
      SetEnvironmentVariableA(assignment.substr(0, equals).c_str(),
                              assignment.substr(equals + 1).c_str());
    } else if (line.rfind("unset ", 0) == 0) {
      SetEnvironmentVariableA(line.substr(6).c_str(), nullptr);
    } else if (line.rfind("cmd ", 0) == 0) {
      command = HexDecode(line.substr(4));
    } else if (line == "nowait") {
      wait = false;
    }
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  // Under a loaded Wine a start occasionally fails for a moment (a freshly
  // copied program still being mapped); a few tries keep the tests steady.
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    std::string line = command;  // CreateProcessA may write into it
    started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info) != 0;
    if (!started) {
      std::fprintf(stderr, "spawn-driver: CreateProcessA failed, error %lu\n", GetLastError());
      Sleep(200);
    }
  }
  if (!started) return 121;
  DWORD code = 0;
  if (wait) {
    WaitForSingleObject(info.hProcess, INFINITE);
    GetExitCodeProcess(info.hProcess, &code);
  }
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<int>(code);
}
