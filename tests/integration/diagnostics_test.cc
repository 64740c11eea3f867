// The opt-in run log and the setup program's exit code passed on, and that
// neither changes anything for a configuration without them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::set<std::string> Listing(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(directory))
    names.insert(fs::relative(entry.path(), directory).string());
  return names;
}

// Setup's exit status as the host sees it: POSIX keeps the low 8 bits.
int HostStatus(unsigned code) { return static_cast<int>(code & 0xFF); }

}  // namespace

TEST(Diagnostics, LogGetsOneLinePerStepAndTheExitCodeIsPassedOn) {
  LauncherPackage package;
  fs::create_directories(package.Path("logs"));
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("logs\\run.log") +
                   "\nPASSEXITCODE=1\n");
  RunOptions options;
  options.tail = "-q";
  options.env = {{"STANDIN_EXIT_CODE", std::string("3010")}};
  EXPECT_EQ(package.Run(options).status, HostStatus(3010));
  options.env = {{"STANDIN_EXIT_CODE", std::string("0")}};
  EXPECT_EQ(package.Run(options).status, 0);
  ASSERT_EQ(package.Records().size(), 2u);

  // Two runs appended to one log, every step of each on a line of its own.
  const std::vector<std::string> lines = Lines(package.Path("logs/run.log"));
  const std::vector<std::string> steps = {
      "start", "system deployment", "profile deployment", "language swap", "setup", "pause",
      "registry", "helper process", "start menu", "restore", "end"};
  ASSERT_EQ(lines.size(), 2 * steps.size());
  const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .*)");
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], stamp)) << lines[i];
    EXPECT_EQ(lines[i].substr(24, steps[i % steps.size()].size() + 1),
              steps[i % steps.size()] + ":")
        << lines[i];
  }
  EXPECT_NE(lines[1].find("not run: COPYFROMZIP is 0, not 1"), std::string::npos) << lines[1];
  // Windows hands the launcher setup's whole code; POSIX only its low 8 bits.
  const std::string code = UnderWine() ? "3010" : std::to_string(HostStatus(3010));
  const std::string setup = package.WinPath("Quorle.exe");
  EXPECT_NE(lines[4].find("ran " + setup + " (command line: \"" + setup + "\" -q), exit code " +
                          code),
            std::string::npos)
      << lines[4];
  EXPECT_NE(lines[10].find("exit status " + code + " (setup's exit code)"), std::string::npos)
      << lines[10];
  EXPECT_NE(lines[21].find("exit status 0 (setup's exit code)"), std::string::npos) << lines[21];
}

TEST(Diagnostics, WithoutTheKeysNothingIsWrittenAndTheStatusStaysOne) {
  LauncherPackage package;
  // PASSEXITCODE other than exactly 1 keeps the status 1; an empty LOGFILE
  // is no log.
  package.WriteIni("[PARAMS]\nLOGFILE=\nPASSEXITCODE=2\n");
  const std::set<std::string> before = Listing(package.Path());
  RunOptions options;
  options.env = {{"STANDIN_EXIT_CODE", std::string("3010")}};
  EXPECT_EQ(package.Run(options).status, 1);
  ASSERT_EQ(package.Records().size(), 1u);
  std::set<std::string> after = Listing(package.Path());
  after.erase("Quorle.exe.record");
  EXPECT_EQ(after, before);
}

TEST(Diagnostics, AnUnwritableLogChangesNothing) {
  LauncherPackage package;
  // The log's folder would have to be made inside a file.
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("Quorle.exe\\run.log") +
                   "\nPASSEXITCODE=1\n");
  RunOptions options;
  options.env = {{"STANDIN_EXIT_CODE", std::string("7")}};
  EXPECT_EQ(package.Run(options).status, 7);
  EXPECT_EQ(package.Records().size(), 1u);
}

// LOGFILE takes %NAME% references from the launcher's environment, and the
// log's missing folders are made.
TEST(Diagnostics, LogFileVariablesAreExpandedAndItsFolderMade) {
  LauncherPackage package;
  package.WriteIni("[PARAMS]\nLOGFILE=%LOG_BASE%\\sub\\deeper\\%UNSET_12345%.log\n");
  RunOptions options;
  options.env = {{"LOG_BASE", UnderWine() ? package.WinPath("logs") : package.Path("logs")}};
  EXPECT_EQ(package.Run(options).status, 1);
  const std::vector<std::string> lines = Lines(package.Path("logs/sub/deeper/%UNSET_12345%.log"));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_NE(lines[0].find("start: launcher 1."), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("start: made 3 folders for the log"), std::string::npos) << lines[1];
}

// With PASSEXITCODE deployment tools tell the outcomes apart: another
// launcher at work (1618: try again later), a setup program that is not
// there (the system's "file not found", 2), a DEFAULTCMD that names nothing
// to start (1639). Without it every one of them is status 1.
TEST(Diagnostics, ExitCodesTellWhyNothingWasInstalled) {
  LauncherPackage first;
  LauncherPackage second;
  const std::string log = "LOGFILE=" + second.WinPath("run.log") + "\n";
  RunOptions hold;
  hold.env = {{"STANDIN_SLEEP_MS", std::string("4000")}};
  if (!UnderWine()) hold.env.push_back({"LAUNCHER_MUTEX_DIR", first.dir().Path("mutex")});
  hold.background = true;
  const std::string mutex = "MUTEXNAME=Held " + std::to_string(NowMs()) + "\n";
  // Both launchers log into one file: the refused run's line lands while
  // the first one runs.
  first.WriteIni("[PARAMS]\n" + mutex + log);
  first.Run(hold);
  for (int i = 0; i < 300 && first.Records().empty(); ++i) usleep(50 * 1000);
  ASSERT_EQ(first.Records().size(), 1u);
  RunOptions shared;
  if (!UnderWine()) shared.env = {{"LAUNCHER_MUTEX_DIR", first.dir().Path("mutex")}};
  second.WriteIni("[PARAMS]\n" + mutex + log);
  EXPECT_EQ(second.Run(shared).status, 1);
  second.WriteIni("[PARAMS]\n" + mutex + log + "PASSEXITCODE=1\n");
  EXPECT_EQ(second.Run(shared).status, HostStatus(1618));
  EXPECT_TRUE(second.Records().empty());
  EXPECT_EQ(first.Wait().status, 1);

  second.WriteIni("[PARAMS]\nPASSEXITCODE=1\nDEFAULTCMD=Missing.exe\n" + log);
  EXPECT_EQ(second.Run().status, 2);
  second.WriteIni("[PARAMS]\nPASSEXITCODE=1\nDEFAULTCMD=\n" + log);
  EXPECT_EQ(second.Run().status, HostStatus(1639));
  second.WriteIni("[PARAMS]\nDEFAULTCMD=Missing.exe\n" + log);
  EXPECT_EQ(second.Run().status, 1);

  const std::string text = second.dir().Read("pkg/run.log");
  for (const char* expected :
       {"single instance: another installation is in progress (another launcher holds the "
        "mutex): refused, exit status 1 (PASSEXITCODE is not 1)",
        "single instance: another installation is in progress (another launcher holds the "
        "mutex): refused, exit status 1618",
        "Missing.exe\"): error 2 (file not found)", "end: exit status 2 (setup was not started)",
        "end: exit status 1639 (setup was not started)"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}
