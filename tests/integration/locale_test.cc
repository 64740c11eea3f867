// Setup runs with the configuration copy for the system's language, and the
// package's own file is back afterwards.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

RunOptions WatchingConfig(const LauncherPackage& package) {
  RunOptions options;
  options.env = {{"STANDIN_COPY", UnderWine() ? package.WinPath("Velquist.ini")
                                              : package.Path("Velquist.ini")}};
  return options;
}

}  // namespace

TEST(LanguageSwap, SetupSeesTheCopyForTheSystemLanguage) {
  ScopedLocale japanese("ja_JP.UTF-8");
  LauncherPackage package;
  package.Write("Velquist.ini", "own");
  package.Write("Velquist.0407", "de");
  package.Write("Velquist.0411", "ja");
  package.WriteIni("[PARAMS]\nINILANG=2\nINILANG1=1031\nINILANG2=1041\n");
  EXPECT_EQ(package.Run(WatchingConfig(package)).status, 1);
  EXPECT_EQ(package.Copies(), std::vector<std::string>{"ja"});
  EXPECT_EQ(package.dir().Read("pkg/Velquist.ini"), "own");
  EXPECT_FALSE(fs::exists(package.Path("Velquist.bak")));
  EXPECT_EQ(package.dir().Read("pkg/Velquist.0411"), "ja");
}

// SETUPCONFIG names another product's file: its language copy and backup
// are named after it. A name that would be its own backup is refused.
TEST(LanguageSwap, TheFileSetupConfigNamesIsSwappedAndPutBack) {
  ScopedLocale japanese("ja_JP.UTF-8");
  LauncherPackage package;
  package.Write("Setup.cfg", "own");
  package.Write("Setup.0411", "ja");
  package.WriteIni("[PARAMS]\nSETUPCONFIG=Setup.cfg\nINILANG=1\nINILANG1=1041\nLOGFILE=" +
                   package.WinPath("run.log") + "\n");
  RunOptions options;
  options.env = {{"STANDIN_COPY", UnderWine() ? package.WinPath("Setup.cfg")
                                              : package.Path("Setup.cfg")}};
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(package.Copies(), std::vector<std::string>{"ja"});
  EXPECT_EQ(package.dir().Read("pkg/Setup.cfg"), "own");
  EXPECT_FALSE(fs::exists(package.Path("Setup.bak")));

  package.Write("Setup.bak", "own");
  package.WriteIni("[PARAMS]\nSETUPCONFIG=Setup.bak\nINILANG=1\nINILANG1=1041\nLOGFILE=" +
                   package.WinPath("run.log") + "\n");
  EXPECT_EQ(package.Run().status, 1);
  EXPECT_EQ(package.dir().Read("pkg/Setup.bak"), "own");
  const std::string log = package.dir().Read("pkg/run.log");
  EXPECT_NE(log.find("language copy " + package.WinPath("Setup.0411") + " stands in for " +
                     package.WinPath("Setup.cfg")),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("language swap: not run: SETUPCONFIG is refused"), std::string::npos) << log;
}

// A registry script that cannot be written ends the run early, but the
// package's own file is put back first, so later runs swap again.
TEST(LanguageSwap, EarlyEndStillPutsTheSwapBack) {
  ScopedLocale japanese("ja_JP.UTF-8");
  LauncherPackage package;
  package.Write("Velquist.ini", "own");
  package.Write("Velquist.0411", "ja");
  package.WriteIni("[PARAMS]\nINILANG=1\nINILANG1=1041\nDELREG=1\nDELREG1_ROOT=HKCU\n");
  RunOptions options = WatchingConfig(package);
  // TEMP names a directory that does not exist.
  options.env.emplace_back("TEMP", UnderWine() ? package.WinPath("none") : package.Path("none"));
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(package.Run(options).status, 1);
    EXPECT_EQ(package.dir().Read("pkg/Velquist.ini"), "own");
    EXPECT_FALSE(fs::exists(package.Path("Velquist.bak")));
  }
  EXPECT_FALSE(fs::exists(package.Path("none")));
  EXPECT_EQ(package.Copies(), (std::vector<std::string>{"ja", "ja"}));
}

// The launcher is killed while setup runs with the Japanese copy in place,
// which strands the swap. The next run, on an English system, puts the
// package's own file back first, gives setup the English copy, and leaves
// the package's file in place at its end.
TEST(LanguageSwap, RunKilledDuringSetupIsPutRightByTheNext) {
  LauncherPackage package;
  package.Write("Velquist.ini", "own");
  package.Write("Velquist.0411", "ja");
  package.Write("Velquist.0409", "en");
  package.WriteIni("[PARAMS]\nINILANG=2\nINILANG1=1041\nINILANG2=1033\n");
  {
    ScopedLocale japanese("ja_JP.UTF-8");
    RunOptions hold = WatchingConfig(package);
    hold.env.emplace_back("STANDIN_SLEEP_MS", std::string("60000"));
    hold.background = true;
    package.Run(hold);
    for (int i = 0; i < 600 && package.Records().empty(); ++i) usleep(50 * 1000);
    ASSERT_EQ(package.Records().size(), 1u);
    kill(static_cast<pid_t>(FindPackageProcess(package, "Setup.exe")), SIGKILL);
    package.Wait();
    kill(static_cast<pid_t>(FindPackageProcess(package, "Quorle.exe")), SIGKILL);
  }
  ASSERT_EQ(package.dir().Read("pkg/Velquist.ini"), "ja");
  ASSERT_EQ(package.dir().Read("pkg/Velquist.bak"), "own");

  ScopedLocale english("C.UTF-8");
  EXPECT_EQ(package.Run(WatchingConfig(package)).status, 1);
  EXPECT_EQ(package.Copies(), (std::vector<std::string>{"ja", "en"}));
  EXPECT_EQ(package.dir().Read("pkg/Velquist.ini"), "own");
  EXPECT_FALSE(fs::exists(package.Path("Velquist.bak")));
}
