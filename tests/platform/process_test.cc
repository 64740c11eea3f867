// Ends real processes. They are copies of the stand-in under a name made up
// for this run, so nothing but the processes started here can match.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "housekeeping/process_termination.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

std::string StandinPath() {
  std::string path = STANDIN_PATH;
#ifdef _WIN32
  // The build passes a host path; Wine sees the host's root as Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

class Waiter {
 public:
  // `firstArgument` (POSIX only) is what the process shows as its name.
  explicit Waiter(const std::string& program, const std::string& firstArgument = "") {
#ifdef _WIN32
    (void)firstArgument;
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    SetEnvironmentVariableA("STANDIN_SLEEP_MS", "30000");
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
    SetEnvironmentVariableA("STANDIN_SLEEP_MS", nullptr);
#else
    setenv("STANDIN_SLEEP_MS", "30000", 1);
    std::string argument0 = firstArgument.empty() ? program : firstArgument;
    char* argv[] = {&argument0[0], nullptr};
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    unsetenv("STANDIN_SLEEP_MS");
#endif
  }

  ~Waiter() {
#ifdef _WIN32
    if (process_ != nullptr) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
      CloseHandle(process_);
    }
#else
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
#endif
  }

  bool Started() const {
#ifdef _WIN32
    return process_ != nullptr;
#else
    return pid_ > 0;
#endif
  }

  // Whether the process has ended by now.
  bool Ended() {
#ifdef _WIN32
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
#else
    if (!ended_ && waitpid(pid_, nullptr, WNOHANG) == pid_) ended_ = true;
    return ended_;
#endif
  }

 private:
#ifdef _WIN32
  HANDLE process_ = nullptr;
#else
  pid_t pid_ = 0;
  bool ended_ = false;
#endif
};

std::string UniqueImageName() {
  std::random_device random;
  return "Ormlatch-" + std::to_string(random() % 1000000000u) + ".exe";
}

TEST(TerminateRunningProcess, EndsTheFirstOfTwoAndLeavesTheOther) {
  TempDir dir;
  std::string name = UniqueImageName();
  std::filesystem::copy_file(StandinPath(), dir.Path(name));
  std::filesystem::permissions(dir.Path(name), std::filesystem::perms::owner_all);
  Waiter first(dir.Path(name));
  Waiter second(dir.Path(name));
  ASSERT_TRUE(first.Started() && second.Started());
  // Give both time to appear in the process table.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  std::string lowerCase = name;
  for (char& c : lowerCase) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  EXPECT_EQ(TerminateProcessByImageName(lowerCase.c_str()), kTerminated);

  int ended = 0;
  for (int i = 0; i < 100 && ended == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ended = (first.Ended() ? 1 : 0) + (second.Ended() ? 1 : 0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ((first.Ended() ? 1 : 0) + (second.Ended() ? 1 : 0), 1);

  EXPECT_EQ(TerminateProcessByImageName(("x" + name).c_str()), kNoMatchingProcess);
}

#ifndef _WIN32
// A program that Wine runs shows Wine's loader as its executable and the
// Windows program, as it was started, as its first argument.
TEST(TerminateRunningProcess, FindsProgramsRunByWineUnderTheirWindowsName) {
  TempDir dir;
  std::string name = UniqueImageName();
  std::string stem = name.substr(0, name.size() - 4);
  std::filesystem::create_directory(dir.Path("loader"));
  std::filesystem::copy_file(StandinPath(), dir.Path("loader/wine64"));
  Waiter started(dir.Path("loader/wine64"), "C:\\Program Files\\" + stem);
  ASSERT_TRUE(started.Started());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(TerminateProcessByImageName(name.c_str()), kTerminated);
  for (int i = 0; i < 100 && !started.Ended(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(started.Ended());
}
#endif

}  // namespace
