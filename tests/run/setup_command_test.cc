#include "run/setup_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

// A package: the launcher Setup.exe and the setup programs DEFAULTCMD may name.
struct Package {
  TempDir dir;
  Package() {
    for (const char* name : {"Setup.exe", "Quorle.exe", "My Setup.exe", "Setup Files/NWSetup.exe"}) {
      dir.Write(name, "MZ");
      std::filesystem::permissions(dir.Path(name), std::filesystem::perms::owner_exec,
                                   std::filesystem::perm_options::add);
    }
  }
  SetupPlan Plan(const std::string& defaultCmd, const std::string& tail = "") const {
    LauncherSettings settings = {};
    std::strcpy(settings.DEFAULTCMD, defaultCmd.c_str());
    return PlanSetupProgram(dir.WinPath("Setup.exe").c_str(), settings, tail.c_str());
  }
};

}  // namespace

TEST(PlanSetupProgram, EachFormOfDefaultCmdNamesOneProgramInsideTheDirectory) {
  const Package package;
  const std::string d = package.dir.WinPath() + "\\";
  struct Case {
    std::string defaultCmd;
    SetupBlock block;
    std::string program;  // relative to the directory; the command line follows
    std::string options;
    int readings;  // -1: either
  };
  const Case cases[] = {
      {"Quorle.exe", SetupBlock::kNone, "Quorle.exe", "", 1},
      {"Quorle.exe /quiet  \"a b\"", SetupBlock::kNone, "Quorle.exe", "/quiet  \"a b\"", 1},
      {"Quorle /quiet", SetupBlock::kNone, "Quorle.exe", "/quiet", 1},
      {"My Setup.exe /q", SetupBlock::kNone, "My Setup.exe", "/q", 1},
      {"\"Setup Files\\NWSetup.exe\" /quiet", SetupBlock::kNone, "Setup Files\\NWSetup.exe",
       "/quiet", 1},
      // Setup.exe is a reading too; the longest one wins.
      {"Setup Files\\NWSetup.exe /quiet", SetupBlock::kNone, "Setup Files\\NWSetup.exe", "/quiet",
       2},
      // Options that climb out are only options.
      {"Quorle.exe ..\\..\\Evil.exe", SetupBlock::kNone, "Quorle.exe", "..\\..\\Evil.exe", 1},
      {"Missing.exe /q", SetupBlock::kNone, "Missing.exe", "/q", 0},
      {"\"Setup Files\\NWSetup.exe /quiet", SetupBlock::kUnclosedQuote, "", "", 0},
      {"..\\Quorle.exe", SetupBlock::kOutsideDirectory, "", "", 0},
      {"Sub\\...\\Quorle.exe", SetupBlock::kOutsideDirectory, "", "", 0},
      {"\"..\\pkg\\Quorle.exe\"", SetupBlock::kOutsideDirectory, "", "", 0},
      {d + "Quorle.exe", SetupBlock::kOutsideDirectory, "", "", 0},
      {"\\\\server\\share\\Quorle.exe", SetupBlock::kOutsideDirectory, "", "", 0},
      {"\\Quorle.exe", SetupBlock::kOutsideDirectory, "", "", 0},
      {"Setup /x", SetupBlock::kLauncherItself, "Setup.exe", "/x", 1},
      // Found or not depends on the file system's case; refused either way.
      {"SETUP.EXE.", SetupBlock::kLauncherItself, "SETUP.EXE.", "", -1},
      {"", SetupBlock::kDefaultCmdEmpty, "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.defaultCmd);
    const SetupPlan plan = package.Plan(c.defaultCmd, "-tail \"x y\"");
    EXPECT_EQ(plan.block, c.block);
    EXPECT_EQ(plan.program, c.program.empty() ? "" : d + c.program);
    EXPECT_EQ(plan.options, c.options);
    if (c.readings >= 0) {
      EXPECT_EQ(plan.readings, c.readings);
      EXPECT_EQ(plan.programFound, c.readings > 0);
    }
    if (c.block == SetupBlock::kNone) {
      std::string line = "\"" + d + c.program + "\"";
      if (!c.options.empty()) line += " " + c.options;
      EXPECT_EQ(plan.command, line + " -tail \"x y\"");
    } else {
      EXPECT_STREQ(plan.command, "");
    }
  }
}
