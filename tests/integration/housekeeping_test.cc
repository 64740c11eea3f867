// After setup: ending the helper process and moving the program folder into
// the all-users Start menu.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

// The helper runs under its real name, which the launcher looks for across
// the whole system it can see. Under Wine that is the test's own prefix;
// natively it would be every process of the machine, so the native run is
// left to the unit tests, which use names of their own.
TEST(Housekeeping, EndsTheRunningHelperOnlyWhenSwitchedOn) {
  if (!UnderWine()) GTEST_SKIP() << "would reach processes outside the test";

  // Another launcher keeps a stand-in "Ormlatch.exe" running as its setup
  // program, and ends once that ends.
  LauncherPackage holder("Holder.exe", "holder");
  holder.InstallStandin("Ormlatch.exe");
  holder.WriteIni("[PARAMS]\r\nDEFAULTCMD=Ormlatch.exe\r\n");
  RunOptions hold;
  hold.env = {{"STANDIN_SLEEP_MS", std::string("60000")}};
  hold.background = true;
  holder.Run(hold);
  for (int i = 0; i < 600 && holder.Records("Ormlatch.exe").empty(); ++i) usleep(50 * 1000);
  ASSERT_EQ(holder.Records("Ormlatch.exe").size(), 1u);

  LauncherPackage package;
  package.WriteIni("[PARAMS]\r\nTERMINATEORMLATCH=2\r\n");
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_EQ(holder.Records("Ormlatch.exe")[0].endMs, 0);

  package.WriteIni("[PARAMS]\r\nTERMINATEORMLATCH=1\r\n");
  long long before = NowMs();
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_EQ(package.Records().size(), 2u);  // setup ran before the helper was ended
  EXPECT_EQ(holder.Wait().status, 1);
  EXPECT_LT(NowMs() - before, 40000);
  ASSERT_EQ(holder.Records("Ormlatch.exe").size(), 1u);
  EXPECT_EQ(holder.Records("Ormlatch.exe")[0].endMs, 0);  // ended, not finished
}

// HELPERPROCESS names another product's helper; a name that is no bare file
// name is refused and nothing is ended. A name of the test's own reaches no
// other process, so this runs natively too.
TEST(Housekeeping, EndsTheHelperThatHelperProcessNames) {
  const std::string helper = "Helper" + std::to_string(NowMs() % 1000000) + ".exe";
  LauncherPackage holder("Holder.exe", "holder");
  holder.InstallStandin(helper);
  holder.WriteIni("[PARAMS]\r\nDEFAULTCMD=" + helper + "\r\n");
  RunOptions hold;
  hold.env = {{"STANDIN_SLEEP_MS", std::string("60000")}};
  hold.background = true;
  holder.Run(hold);
  for (int i = 0; i < 600 && holder.Records(helper).empty(); ++i) usleep(50 * 1000);
  ASSERT_EQ(holder.Records(helper).size(), 1u);

  LauncherPackage package;
  const std::string log = "\r\nLOGFILE=" + package.WinPath("run.log") + "\r\n";
  package.WriteIni("[PARAMS]\r\nTERMINATEORMLATCH=1\r\nHELPERPROCESS=..\\" + helper + log);
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_GT(FindPackageProcess(holder, helper), 0);
  package.WriteIni("[PARAMS]\r\nTERMINATEORMLATCH=1\r\nHELPERPROCESS=" + helper + log);
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_EQ(holder.Wait().status, 1);
  EXPECT_EQ(holder.Records(helper)[0].endMs, 0);  // ended, not finished
  const std::string lines = package.dir().Read("pkg/run.log");
  EXPECT_NE(lines.find("helper process: not run: HELPERPROCESS is refused: it is not a bare file "
                       "name"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("helper process: ended " + helper), std::string::npos) << lines;
}

// Drive C: and the all-users programs folder: Wine's own, or scratch
// directories the native launcher is pointed at.
class StartMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    if (UnderWine()) {
      fs::path driveC = fs::path(WinePrefix()) / "drive_c";
      source_ = driveC / "Tessik Halvern Wireless";
      target_ = driveC / "ProgramData/Microsoft/Windows/Start Menu/Programs" /
                "Tessik Halvern Wireless";
    } else {
      fs::create_directories(package_.dir().Path("c"));
      fs::create_directories(package_.dir().Path("programs"));
      env_ = {{"LAUNCHER_DRIVE_C", package_.dir().Path("c")},
              {"LAUNCHER_COMMON_PROGRAMS", package_.dir().Path("programs")}};
      source_ = fs::path(package_.dir().Path("c")) / "Tessik Halvern Wireless";
      target_ = fs::path(package_.dir().Path("programs")) / "Tessik Halvern Wireless";
    }
    Clean();
  }
  void TearDown() override { Clean(); }

  void Clean() {
    std::error_code error;
    fs::remove_all(source_, error);
    fs::remove_all(target_, error);
  }
  void Put(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string Get(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  int Run(const std::string& checkStartProgram) {
    package_.WriteIni("[PARAMS]\r\nCHECKSTARTPROGRAM=" + checkStartProgram + "\r\n");
    RunOptions options;
    options.env = env_;
    return package_.Run(options).status;
  }

  LauncherPackage package_;
  // Wine reports the prefix's account as the owner of what the host made:
  // on XP that is how an administrator's folder reads; from Vista on such a
  // folder was made without elevation, and is refused (see below).
  ScopedWineVersion windowsXp_{"Setup.exe", "winxp"};
  EnvChanges env_;
  fs::path source_;
  fs::path target_;
};

TEST_F(StartMenu, MovesTheFolderWhenSwitchedOn) {
  Put(source_ / "Tool.lnk", "tool");
  Put(source_ / "Help.url", "help");
  EXPECT_EQ(Run("0"), 1);
  EXPECT_FALSE(fs::exists(target_));
  EXPECT_EQ(Get(source_ / "Tool.lnk"), "tool");

  EXPECT_EQ(Run("1"), 1);
  EXPECT_EQ(Get(target_ / "Tool.lnk"), "tool");
  EXPECT_EQ(Get(target_ / "Help.url"), "help");
  EXPECT_FALSE(fs::exists(source_));
}

TEST_F(StartMenu, ASubfolderIsMovedAndLeftBehindEmpty) {
  Put(source_ / "Extras" / "Guide.lnk", "guide");
  EXPECT_EQ(Run("1"), 1);
  EXPECT_EQ(Get(target_ / "Extras" / "Guide.lnk"), "guide");
  EXPECT_TRUE(fs::is_directory(source_ / "Extras"));
  EXPECT_TRUE(fs::is_empty(source_ / "Extras"));
}

// Anyone may create the folder on drive C. Under Wine a folder of another
// Unix user reads as owned by Anonymous, one of the prefix's own user as
// owned by the account the launcher runs as.
TEST_F(StartMenu, AFolderOfAnotherUserIsNotMoved) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give the folder to another user";
  Put(source_ / "Tool.lnk", "tool");
  ASSERT_EQ(chown(source_.c_str(), 65534, 65534), 0);
  package_.WriteIni("[PARAMS]\r\nCHECKSTARTPROGRAM=1\r\nLOGFILE=" + package_.WinPath("run.log") +
                    "\r\n");
  RunOptions options;
  options.env = env_;
  EXPECT_EQ(package_.Run(options).status, 1);
  EXPECT_EQ(Get(source_ / "Tool.lnk"), "tool");
  EXPECT_FALSE(fs::exists(target_));
  const std::string log = package_.dir().Read("pkg/run.log");
  EXPECT_NE(log.find("was not made by an administrator"), std::string::npos) << log;
}

TEST(StartMenuOwner, AFolderOfTheAccountItselfIsNotMovedFromVistaOn) {
  if (!UnderWine()) GTEST_SKIP() << "Wine reports the account as the owner of the host's files";
  LauncherPackage package;
  const fs::path driveC = fs::path(WinePrefix()) / "drive_c";
  const fs::path source = driveC / "Tessik Halvern Wireless";
  const fs::path target =
      driveC / "ProgramData/Microsoft/Windows/Start Menu/Programs/Tessik Halvern Wireless";
  std::error_code error;
  fs::remove_all(target, error);
  fs::create_directories(source);
  std::ofstream(source / "Tool.lnk") << "tool";
  package.WriteIni("[PARAMS]\r\nCHECKSTARTPROGRAM=1\r\n");
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_TRUE(fs::exists(source / "Tool.lnk"));
  EXPECT_FALSE(fs::exists(target));
  fs::remove_all(source, error);
}

// STARTMENUSOURCE and STARTMENUFOLDER name another product's folder; a
// source that is no full local path moves nothing.
TEST_F(StartMenu, TheFolderTheKeysNameIsMovedUnderItsNewName) {
  const fs::path source = source_.parent_path() / "Other Wireless";
  const fs::path target = target_.parent_path() / "Renamed";
  Put(source / "Tool.lnk", "tool");
  RunOptions options;
  options.env = env_;
  package_.WriteIni("[PARAMS]\r\nCHECKSTARTPROGRAM=1\r\nSTARTMENUSOURCE=Other Wireless\r\n"
                    "STARTMENUFOLDER=Renamed\r\n");
  EXPECT_EQ(package_.Run(options).status, 1);
  EXPECT_EQ(Get(source / "Tool.lnk"), "tool");
  package_.WriteIni("[PARAMS]\r\nCHECKSTARTPROGRAM=1\r\nSTARTMENUSOURCE=c:\\Other Wireless\\\r\n"
                    "STARTMENUFOLDER=Renamed\r\n");
  EXPECT_EQ(package_.Run(options).status, 1);
  EXPECT_EQ(Get(target / "Tool.lnk"), "tool");
  EXPECT_FALSE(fs::exists(source));
  std::error_code error;
  fs::remove_all(target, error);
}

TEST_F(StartMenu, ALinkInsideIsNeitherFollowedNorMoved) {
  Put(source_ / "Tool.lnk", "tool");
  Put(package_.dir().Path("elsewhere/Secret.lnk"), "secret");
  fs::create_directory_symlink(package_.dir().Path("elsewhere"), source_ / "Extras");
  EXPECT_EQ(Run("1"), 1);
  EXPECT_EQ(Get(target_ / "Tool.lnk"), "tool");
  EXPECT_FALSE(fs::exists(fs::symlink_status(target_ / "Extras")));
  EXPECT_TRUE(fs::is_symlink(source_ / "Extras"));
  EXPECT_EQ(Get(package_.dir().Path("elsewhere/Secret.lnk")), "secret");
}

}  // namespace
