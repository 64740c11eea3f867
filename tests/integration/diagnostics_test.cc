// The opt-in run log and the setup program's exit code passed on, and that
// neither changes anything for a configuration without them.
#include <gtest/gtest.h>

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
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("missing\\run.log") +
                   "\nPASSEXITCODE=1\n");
  RunOptions options;
  options.env = {{"STANDIN_EXIT_CODE", std::string("7")}};
  EXPECT_EQ(package.Run(options).status, 7);
  EXPECT_EQ(package.Records().size(), 1u);
  EXPECT_FALSE(fs::exists(package.Path("missing")));

  // No setup program: PASSEXITCODE has no code to pass, the status is 1.
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("run.log") + "\nPASSEXITCODE=1\n");
  package.RemoveStandin();
  EXPECT_EQ(package.Run(options).status, 1);
  const std::vector<std::string> lines = Lines(package.Path("run.log"));
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_NE(lines[4].find("setup: not started: cannot start"), std::string::npos) << lines[4];
  EXPECT_NE(lines[10].find("end: exit status 1"), std::string::npos) << lines[10];
}
