// Stands in for the setup program in tests. Appends to "<own path>.record":
//   start <ms since epoch>
//   cwd <current directory>
//   cmdline <raw command line, hex; Windows only>
//   argv0 <the program's own argv[0], hex>
//   arg <argument, hex>         (one line per argument after the program)
//   copy <contents, hex>        (of the file STANDIN_COPY_<NAME> or STANDIN_COPY names,
//                                "*" for the last argument; "copy missing" when it
//                                cannot be read)
//   dirmode <octal>             (POSIX: the mode of that file's folder)
//   end <ms since epoch>
// STANDIN_SLEEP_MS makes it wait that long before it ends; STANDIN_EXIT_CODE(_<NAME>)
// is the status it ends with (default 0). STANDIN_SPAWN(_<NAME>) names a
// program it starts first and does not wait for; STANDIN_DELAY_MS(_<NAME>)
// makes it wait that long before it reads the copy.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
extern char** environ;
#endif

#include "support/hex.h"

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string OwnPath() {
#ifdef _WIN32
  char path[MAX_PATH * 2];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, length);
#else
  return std::filesystem::read_symlink("/proc/self/exe").string();
#endif
}

// <VARIABLE>_<NAME> (the program's own name without extension, in upper
// case) sets a request for this copy of the stand-in; failing that,
// <VARIABLE> does, for every copy.
const char* Request(const char* variable) {
  std::string stem = std::filesystem::path(OwnPath()).stem().string();
  for (char& c : stem) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  if (const char* own = std::getenv((std::string(variable) + "_" + stem).c_str())) return own;
  return std::getenv(variable);
}

void StartWithoutWaiting(const char* program) {
#ifdef _WIN32
  std::string line = std::string("\"") + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
#else
  char* argv[] = {const_cast<char*>(program), nullptr};
  pid_t pid;
  posix_spawn(&pid, program, nullptr, nullptr, argv, environ);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::string record = OwnPath() + ".record";
  FILE* out = std::fopen(record.c_str(), "ab");
  if (out == nullptr) return 3;
  std::fprintf(out, "start %lld\n", NowMs());
  std::fprintf(out, "cwd %s\n", std::filesystem::current_path().string().c_str());
#ifdef _WIN32
  std::fprintf(out, "cmdline %s\n", HexEncode(GetCommandLineA()).c_str());
#endif
  std::fprintf(out, "argv0 %s\n", HexEncode(argv[0]).c_str());
  for (int i = 1; i < argc; ++i) std::fprintf(out, "arg %s\n", HexEncode(argv[i]).c_str());
  std::fflush(out);
  if (const char* program = Request("STANDIN_SPAWN")) StartWithoutWaiting(program);
  if (const char* delayMs = Request("STANDIN_DELAY_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delayMs)));
  if (const char* copy = Request("STANDIN_COPY")) {
    std::string file = copy;
    if (file == "*" && argc > 1) file = argv[argc - 1];
#ifndef _WIN32
    // A path in drive form, as the launcher passes it: Z: is "/".
    if (file.rfind("Z:", 0) == 0) file.erase(0, 2);
    for (char& c : file) {
      if (c == '\\') c = '/';
    }
    std::error_code error;
    const auto folder = std::filesystem::status(std::filesystem::path(file).parent_path(), error);
    if (!error)
      std::fprintf(out, "dirmode %o\n", static_cast<unsigned>(folder.permissions()));
#endif
    std::ifstream in(file, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in)
      std::fprintf(out, "copy %s\n", HexEncode(contents.str()).c_str());
    else
      std::fprintf(out, "copy missing\n");
  }
  std::fflush(out);
  if (const char* sleepMs = std::getenv("STANDIN_SLEEP_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleepMs)));
  std::fprintf(out, "end %lld\n", NowMs());
  std::fclose(out);
  const char* exitCode = Request("STANDIN_EXIT_CODE");
  return exitCode != nullptr ? static_cast<int>(std::strtoul(exitCode, nullptr, 10)) : 0;
}
