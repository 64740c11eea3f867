// Files from the archives beside the launcher land in the Windows directory
// and in the profiles' "Application Data" folders before setup starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "support/zip_builder.h"
#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

// A folder name no real system holds, for what lands in a Windows directory
// the test does not own.
std::string UniqueName() {
  std::random_device random;
  return "LauncherDeployTest" + std::to_string(random() % 100000000u);
}

}  // namespace

TEST(Deploy, SystemArchiveLandsInTheWindowsDirectoryBeforeSetup) {
  LauncherPackage package;
  const std::string folder = UniqueName();
  package.Write("Setup.2k", BuildZip({{folder + "/system32/drivers/x.sys", "driver"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n");
  RunOptions options;
  std::string windows;  // host path of the Windows directory
  if (UnderWine()) {
    windows = WinePrefix() + "/drive_c/windows";  // Wine sets SystemRoot itself
  } else {
    windows = package.Path("windows");
    fs::create_directories(windows);
    options.env = {{"SystemRoot", package.WinPath("windows")}};
  }
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(ReadFile(windows + "/" + folder + "/system32/drivers/x.sys"), "driver");
  EXPECT_EQ(package.Records().size(), 1u);
  std::error_code error;
  fs::remove_all(windows + "/" + folder, error);
}

TEST(Deploy, SwitchedOffOrMissingArchivesWriteNothing) {
  LauncherPackage package;
  package.Write("Setup.2k", BuildZip({{"x.txt", "x"}}).bytes);
  package.Write("Setup.s2k", BuildZip({{"y.txt", "y"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=2\nCOPYSETFROMZIP=0\n");
  RunOptions options;
  options.env = {{"SystemRoot", package.WinPath("windows")},
                 {"APPDATA", package.WinPath("user")},
                 {"ALLUSERSPROFILE", package.WinPath("profiles\\All Users")}};
  EXPECT_EQ(package.Run(options).status, 1);
  fs::remove(package.Path("Setup.2k"));
  fs::remove(package.Path("Setup.s2k"));
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\nCOPYSETFROMZIP=1\n");
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_FALSE(fs::exists(package.Path("windows")));
  EXPECT_FALSE(fs::exists(package.Path("user")));
  EXPECT_FALSE(fs::exists(package.Path("profiles")));
  EXPECT_EQ(package.Records().size(), 2u);
}

TEST(Deploy, ProfileArchiveLandsForTheUserAndTheDefaultUser) {
  LauncherPackage package;
  ScopedProfilesFolder profiles(package.WinPath("profiles"));
  package.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "cfg"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  RunOptions options;
  options.env = {{"APPDATA", package.WinPath("user\\Application Data")},
                 {"ALLUSERSPROFILE", package.WinPath("profiles\\All Users")}};
  fs::create_directories(package.Path("profiles/Owner"));  // not probed
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(ReadFile(package.Path("user/Application Data/Vendor/app.cfg")), "cfg");
  EXPECT_EQ(ReadFile(package.Path("profiles/Default User/Application Data/Vendor/app.cfg")),
            "cfg");
  EXPECT_FALSE(fs::exists(package.Path("profiles/Owner/Application Data")));
  EXPECT_EQ(package.Records().size(), 1u);
}

TEST(Deploy, WithoutAppDataTheAdministratorProfileIsFoundWhenThereIsNoOwner) {
  LauncherPackage package;
  ScopedProfilesFolder profiles(package.WinPath("profiles"));
  package.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "cfg"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  fs::create_directories(package.Path("profiles/Administrator"));
  RunOptions options;
  options.env = {{"APPDATA", std::nullopt},
                 {"ALLUSERSPROFILE", package.WinPath("profiles\\All Users")}};
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(ReadFile(package.Path("profiles/Administrator/Application Data/Vendor/app.cfg")),
            "cfg");
  EXPECT_EQ(ReadFile(package.Path("profiles/Default User/Application Data/Vendor/app.cfg")),
            "cfg");
  EXPECT_FALSE(fs::exists(package.Path("profiles/Owner")));
}

// The log tells what was written, not that an archive file is there.
TEST(Deploy, LogSaysNothingWasUnpackedFromAFileThatIsNoArchive) {
  LauncherPackage package;
  package.Write("Setup.s2k", "not a zip archive\r\n");
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                   "\n");
  RunOptions options;
  options.env = {{"APPDATA", package.WinPath("user")},
                 {"ALLUSERSPROFILE", package.WinPath("profiles\\All Users")}};
  EXPECT_EQ(package.Run(options).status, 1);
  const std::string log = package.dir().Read("pkg/run.log");
  EXPECT_EQ(log.find("unpacked " + package.WinPath("Setup.s2k")), std::string::npos) << log;
  EXPECT_NE(log.find("profile deployment: " + package.WinPath("Setup.s2k") +
                     " is no zip archive that can be read: nothing unpacked into " +
                     package.WinPath("user") + "\\"),
            std::string::npos)
      << log;
  EXPECT_FALSE(fs::exists(package.Path("user")));
}

// A user may turn a folder of his profile into a link to anywhere, the
// system directory included; the launcher writes nothing through it.
TEST(Deploy, NothingIsWrittenThroughALinkInTheProfile) {
  LauncherPackage package;
  ScopedProfilesFolder profiles(package.WinPath("profiles"));
  package.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "cfg"}, {"Other/x.cfg", "x"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                   "\n");
  fs::create_directories(package.Path("elsewhere"));
  fs::create_directories(package.Path("user"));
  fs::create_directory_symlink(package.Path("elsewhere"), package.Path("user/Vendor"));
  RunOptions options;
  options.env = {{"APPDATA", package.WinPath("user")},
                 {"ALLUSERSPROFILE", package.WinPath("profiles\\All Users")}};
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_TRUE(fs::is_empty(package.Path("elsewhere")));
  EXPECT_EQ(ReadFile(package.Path("user/Other/x.cfg")), "x");
  EXPECT_EQ(ReadFile(package.Path("profiles/Default User/Application Data/Vendor/app.cfg")),
            "cfg");
  const std::string log = package.dir().Read("pkg/run.log");
  EXPECT_NE(log.find("profile deployment: skipped entry \"Vendor\\app.cfg\": a folder on its way "
                     "is a link"),
            std::string::npos)
      << log;
}

// Where the system keeps no profiles below the all-users profile's parent
// (Windows Vista and later keep "All Users" in C:\\ProgramData; Windows 98
// keeps none), the default user's fixed folder would be a stray folder, at
// the drive's root on those systems: it is left out, and the log says so.
// The archive still follows the version reported (".sxp" on XP only).
TEST(Deploy, DefaultUserIsLeftOutWhereTheSystemKeepsNoProfilesThere) {
  for (const char* version : {"winxp", "win2k", "win98"}) {
    SCOPED_TRACE(version);
    LauncherPackage package;
    ScopedWineVersion reported("Setup.exe", version);
    package.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "2k"}}).bytes);
    package.Write("Setup.sxp", BuildZip({{"Vendor/app.cfg", "xp"}}).bytes);
    package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n[PARAMS]\nLOGFILE=" +
                     package.WinPath("run.log") + "\n");
    RunOptions options;
    options.env = {{"APPDATA", package.WinPath("user")}};
    // Under Wine "All Users" is C:\\ProgramData, and the system names the
    // current user's folder for the default user's.
    if (!UnderWine())
      options.env.emplace_back("ALLUSERSPROFILE", package.WinPath("ProgramData"));
    const bool xp = UnderWine() && std::string(version) == "winxp";
    EXPECT_EQ(package.Run(options).status, 1);
    EXPECT_EQ(ReadFile(package.Path("user/Vendor/app.cfg")), xp ? "xp" : "2k");
    const std::string root = UnderWine() ? WinePrefix() + "/drive_c" : package.Path();
    EXPECT_FALSE(fs::exists(root + "/Default User"));
    const std::string log = package.dir().Read("pkg/run.log");
    EXPECT_NE(log.find("profile deployment: left out the default user's folder: the system "
                       "names none, and "),
              std::string::npos)
        << log;
    if (!UnderWine()) return;
    // Wine keeps its own profiles in C:\\users: nothing new lands there.
    EXPECT_FALSE(fs::exists(WinePrefix() + "/drive_c/users/Default User"));
  }
}
