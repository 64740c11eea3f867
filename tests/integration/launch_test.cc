// The launcher starts the setup program with its own command-line tail,
// waits for it, and always ends with status 1.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "integration/launcher_harness.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

// What the setup program must have received for `tail`: its own path whole
// as argv[0], under Windows the raw command line with that path quoted,
// and the arguments the tail splits into.
void ExpectSetupGot(const std::string& setupPath, const std::string& tail,
                    const StandinRecord& record) {
  const std::string path = WineAnsi(setupPath);
  EXPECT_EQ(record.argv0, path);
  if (UnderWine()) {
    ASSERT_TRUE(record.commandLine.has_value());
    EXPECT_EQ(*record.commandLine, "\"" + path + "\"" + (tail.empty() ? "" : " " + tail));
  }
  EXPECT_EQ(record.arguments, SplitArguments(tail.c_str()));
}

// Starts `first` in the background with a setup program that runs for 4 s,
// sharing one mutex namespace with the launchers started with the returned
// options (which keep their setup quick), and waits until its setup runs.
RunOptions HoldWhileSetupRuns(const LauncherPackage& first) {
  RunOptions slow;
  slow.env = {{"STANDIN_SLEEP_MS", std::string("4000")}};
  // Natively the mutex namespace is per package; share one for the test.
  if (!UnderWine()) slow.env.push_back({"LAUNCHER_MUTEX_DIR", first.dir().Path("mutex")});
  slow.background = true;
  first.Run(slow);
  for (int i = 0; i < 300 && first.Records().empty(); ++i) usleep(50 * 1000);
  RunOptions quick;
  quick.env = slow.env;
  quick.env[0].second = "0";
  return quick;
}

}  // namespace

TEST(Launch, TailReachesTheSetupProgramByteForByte) {
  LauncherPackage package;
  const std::string tail = "-silent  \"quoted  arg\"  \\\"x\\\" back\\\\slash\\  end  ";
  LaunchResult result = package.Run(tail);
  EXPECT_EQ(result.status, 1);
  auto records = package.Records();
  ASSERT_EQ(records.size(), 1u);
  ExpectSetupGot(package.WinPath("Quorle.exe"), tail, records[0]);
}

TEST(Launch, EmptyTailGivesExactlyTheSetupPath) {
  LauncherPackage package;
  EXPECT_EQ(package.Run("").status, 1);
  auto records = package.Records();
  ASSERT_EQ(records.size(), 1u);
  ExpectSetupGot(package.WinPath("Quorle.exe"), "", records[0]);
}

TEST(Launch, DefaultCommandNamesTheSetupProgram) {
  LauncherPackage package;
  package.InstallStandin("Other.exe");
  package.WriteIni("[PARAMS]\nDEFAULTCMD=Other.exe\n");
  EXPECT_EQ(package.Run("-x").status, 1);
  EXPECT_TRUE(package.Records().empty());
  auto records = package.Records("Other.exe");
  ASSERT_EQ(records.size(), 1u);
  ExpectSetupGot(package.WinPath("Other.exe"), "-x", records[0]);
}

// Each form DEFAULTCMD takes starts the program it names inside the
// package, with its options before the tail, or nothing, saying why.
TEST(Launch, EachDefaultCmdFormStartsItsOwnProgramOrNothing) {
  LauncherPackage package;
  const std::vector<std::string> programs = {"Quorle.exe", "My Setup.exe",
                                             "Setup Files/NWSetup.exe"};
  for (const std::string& program : programs) package.InstallStandin(program);
  struct Case {
    std::string defaultCmd;
    std::string program;  // empty: nothing starts, and the log says so
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"Quorle.exe /opt \"two words\"", "Quorle.exe", {"/opt", "two words"}},
      {"My Setup.exe /q", "My Setup.exe", {"/q"}},
      {"\"Setup Files\\NWSetup.exe\" /quiet", "Setup Files/NWSetup.exe", {"/quiet"}},
      // Setup.exe, the launcher, is the shorter reading.
      {"Setup Files\\NWSetup.exe /quiet", "Setup Files/NWSetup.exe", {"/quiet"}},
      {"\"Quorle.exe /q", "", {}},
      {"..\\pkg\\Quorle.exe", "", {}},
  };
  size_t runs = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.defaultCmd);
    package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                     "\nDEFAULTCMD=" + c.defaultCmd + "\n");
    fs::remove(package.Path("run.log"));
    EXPECT_EQ(package.Run("-tail").status, 1);
    size_t records = 0;
    for (const std::string& program : programs) records += package.Records(program).size();
    const std::string log = package.dir().Read("pkg/run.log");
    if (c.program.empty()) {
      EXPECT_EQ(records, runs);
      EXPECT_NE(log.find("setup: not started: DEFAULTCMD " + c.defaultCmd), std::string::npos)
          << log;
      continue;
    }
    ASSERT_EQ(records, ++runs);
    const StandinRecord record = package.Records(c.program).back();
    std::vector<std::string> expected = c.options;
    expected.push_back("-tail");
    EXPECT_EQ(record.argv0, package.WinPath(c.program));
    EXPECT_EQ(record.arguments, expected);
    EXPECT_NE(log.find("setup: ran " + package.WinPath(c.program) + " (command line: \"" +
                       package.WinPath(c.program) + "\" "),
              std::string::npos)
        << log;
  }
}

TEST(Launch, EmptyOrOverlongDefaultCommandStartsNothing) {
  LauncherPackage package;
  package.WriteIni("[PARAMS]\nDEFAULTCMD=\n");
  EXPECT_EQ(package.Run("-x").status, 1);
  package.WriteIni("[PARAMS]\nDEFAULTCMD=Quorle.exe" + std::string(260, ' ') + "x\n");
  EXPECT_EQ(package.Run("-x").status, 1);
  EXPECT_TRUE(package.Records().empty());
}

TEST(Launch, OverlongCommandStartsNothing) {
  LauncherPackage package;
  // The setup command, "<path>" <tail>, holds at most 519 characters.
  std::string room(519 - package.WinPath("Quorle.exe").size() - 3, 'a');
  EXPECT_EQ(package.Run(room).status, 1);
  EXPECT_EQ(package.Records().size(), 1u);
  EXPECT_EQ(package.Run(room + "a").status, 1);
  EXPECT_EQ(package.Records().size(), 1u);
}

TEST(Launch, MissingSetupProgramStillRunsToTheEnd) {
  LauncherPackage package;
  package.RemoveStandin();
  package.WriteIni("[PARAMS]\nSLEEP=1\nSLEEPTIME=300\n");
  LaunchResult result = package.Run("-x");
  EXPECT_EQ(result.status, 1);
  EXPECT_GE(result.endMs - result.startMs, 300);
}

TEST(Launch, SetupRunsInTheLaunchersCurrentDirectory) {
  LauncherPackage package;
  TempDir elsewhere;
  RunOptions options;
  options.cwd = elsewhere.Path();
  EXPECT_EQ(package.Run(options).status, 1);
  auto records = package.Records();
  ASSERT_EQ(records.size(), 1u);
  std::string expected = UnderWine() ? elsewhere.WinPath() : elsewhere.Path();
  EXPECT_EQ(records[0].cwd, expected);
}

// The launcher runs elevated from folders anyone may write to: blanks in
// the package's path must never let a program planted one folder up run.
TEST(Launch, SetupInAFolderWithBlanksRunsByItsWholePath) {
  LauncherPackage package("Setup.exe", "uq/Pkg Dir \xC3\xA9");
  package.InstallStandin("../Pkg.exe");
  const std::string tail = "-x \"a b\"";
  EXPECT_EQ(package.Run(tail).status, 1);
  EXPECT_TRUE(package.Records("../Pkg.exe").empty());
  auto records = package.Records();
  ASSERT_EQ(records.size(), 1u);
  ExpectSetupGot(package.WinPath("Quorle.exe"), tail, records[0]);
}

TEST(Launch, WaitsForTheSetupProgramThenPausesOnlyWhenSleepIsOne) {
  LauncherPackage package;
  package.WriteIni("[PARAMS]\nSLEEP=1\nSLEEPTIME=1500\n");
  RunOptions options;
  options.env = {{"STANDIN_SLEEP_MS", std::string("700")}};
  LaunchResult result = package.Run(options);
  EXPECT_EQ(result.status, 1);
  auto records = package.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_GE(records[0].endMs - records[0].startMs, 700);
  EXPECT_GE(result.endMs - records[0].endMs, 1400);

  package.WriteIni("[PARAMS]\nSLEEP=2\nSLEEPTIME=8000\n");
  result = package.Run(options);
  EXPECT_EQ(result.status, 1);
  records = package.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_LT(result.endMs - records[1].endMs, 6000);
}

TEST(Launch, SecondLauncherOfTheSameNameIsHeldBack) {
  std::string name = "Mx" + std::to_string(NowMs() % 1000000) + ".exe";
  LauncherPackage first(name, "one");
  LauncherPackage second(name, "two");
  LauncherPackage other("Other" + name, "three");
  const RunOptions quick = HoldWhileSetupRuns(first);
  ASSERT_EQ(first.Records().size(), 1u);

  EXPECT_EQ(second.Run(quick).status, 1);
  EXPECT_TRUE(second.Records().empty());
  EXPECT_EQ(other.Run(quick).status, 1);
  EXPECT_EQ(other.Records().size(), 1u);
  EXPECT_EQ(first.Wait().status, 1);

  // Once the first has ended, the name is free again.
  EXPECT_EQ(second.Run(quick).status, 1);
  EXPECT_EQ(second.Records().size(), 1u);
}

// Two products' launchers, both Setup.exe, hold each other back only when
// they share a MUTEXNAME.
TEST(Launch, MutexNameDecidesWhichLaunchersHoldEachOtherBack) {
  const std::string unique = std::to_string(NowMs() % 1000000);
  LauncherPackage first("Setup.exe", "one");
  LauncherPackage other("Setup.exe", "two");
  LauncherPackage same("Setup.exe", "three");
  first.WriteIni("[PARAMS]\nMUTEXNAME=Product One " + unique + "\n");
  other.WriteIni("[PARAMS]\nMUTEXNAME=Product Two " + unique + "\n");
  same.WriteIni("[PARAMS]\nMUTEXNAME=Product One " + unique + "\n");
  const RunOptions quick = HoldWhileSetupRuns(first);
  ASSERT_EQ(first.Records().size(), 1u);

  EXPECT_EQ(other.Run(quick).status, 1);
  EXPECT_EQ(other.Records().size(), 1u);
  EXPECT_EQ(same.Run(quick).status, 1);
  EXPECT_TRUE(same.Records().empty());
  EXPECT_EQ(first.Wait().status, 1);
}

TEST(Launch, LauncherInAFolderWithAMultibyteNameStartsItsOwnSetup) {
  // Under a UTF-8 locale "あ" must not be read as lead bytes that swallow
  // the separator after it. (Under Wine the harness would hand the host's
  // UTF-8 bytes of the program path to CreateProcessA, which reads them in
  // code page 932 and finds no such program: a limit of the harness.)
  if (UnderWine()) GTEST_SKIP() << "the Wine harness passes program paths as UTF-8 bytes";
  ScopedLocale locale("ja_JP.UTF-8");
  LauncherPackage package("Setup.exe", "\xE3\x81\x82");
  EXPECT_EQ(package.Run("-x").status, 1);
  EXPECT_EQ(package.Records().size(), 1u);
}
