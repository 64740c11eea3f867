// After setup, the listed registry changes go through the system's INF
// installer as a script in TEMP that is deleted afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

const char kStaleScript[] =
    "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\nAddReg = Stale.reg\r\n"
    "\r\n[Stale.reg]\r\nHKCU, \"Software\\Stale\",\"Stale\",0,planted\r\n";

}  // namespace

TEST(RegistryScript, ListedChangesAreInstalledAndTheScriptDeleted) {
  LauncherPackage package;
  fs::create_directories(package.Path("temp"));
  package.Write("temp/AddDel.inf", kStaleScript);
  const std::string key = "Software\\LocregTest" + std::to_string(NowMs());
  package.WriteIni(
      "[PARAMS]\nADDREG=2\nDELREG=2\n"
      "ADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=" + key + "\nADDREG1_ENTRYNAME=Added\n"
      "ADDREG1_FLAGS=0x00000000\nADDREG1_VALUE=hello\n"
      "ADDREG2_ROOT=HKLM\nADDREG2_SUBKEY=" + key + "\nADDREG2_ENTRYNAME=Count\n"
      "ADDREG2_FLAGS=0x00010001\nADDREG2_VALUE=42\n"
      "DELREG1_ROOT=HKCU\nDELREG1_SUBKEY=" + key + "\nDELREG1_ENTRYNAME=Old\n"
      "DELREG2_ROOT=HKLM\nDELREG2_SUBKEY=" + key + "\nDELREG2_ENTRYNAME=Old\n");

  RunOptions options;
  if (UnderWine()) {
    // Wine's own installer and registry do the work.
    package.Write("old.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + key +
                                 "]\r\n\"Old\"=\"x\"\r\n\"Kept\"=\"k\"\r\n\r\n"
                                 "[HKEY_LOCAL_MACHINE\\" + key + "]\r\n\"Old\"=\"y\"\r\n");
    int status = -1;
    RunWineCommand({"reg", "import", package.WinPath("old.reg")}, &status);
    ASSERT_EQ(status, 0);
    options.env = {{"TEMP", package.WinPath("temp")}};
  } else {
    // No installer here: the stand-in takes its place and records the script.
    fs::create_directories(package.Path("windows/System32"));
    package.InstallStandin("windows/System32/rundll32.exe");
    options.env = {{"TEMP", package.Path("temp")},
                   {"SystemRoot", package.Path("windows")},
                   {"STANDIN_COPY", package.Path("temp/AddDel.inf")}};
  }
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_FALSE(fs::exists(package.Path("temp/AddDel.inf")));
  ASSERT_EQ(package.Records().size(), 1u);

  if (UnderWine()) {
    std::string user = RunWineCommand({"reg", "query", "HKCU\\" + key});
    EXPECT_NE(user.find("Added"), std::string::npos) << user;
    EXPECT_NE(user.find("hello"), std::string::npos) << user;
    EXPECT_NE(user.find("Kept"), std::string::npos) << user;
    EXPECT_EQ(user.find("Old"), std::string::npos) << user;
    std::string machine = RunWineCommand({"reg", "query", "HKLM\\" + key});
    EXPECT_NE(machine.find("Count"), std::string::npos) << machine;
    EXPECT_NE(machine.find("0x2a"), std::string::npos) << machine;
    EXPECT_EQ(machine.find("Old"), std::string::npos) << machine;
    // The planted script's change was not installed with ours.
    int status = -1;
    RunWineCommand({"reg", "query", "HKCU\\Software\\Stale"}, &status);
    EXPECT_NE(status, 0);
  } else {
    auto records = package.Records("windows/System32/rundll32.exe");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].arguments,
              (std::vector<std::string>{"setupapi,InstallHinfSection", "DefaultInstall", "132",
                                        package.Path("temp") + "\\AddDel.inf"}));
    std::vector<std::string> copies =
        package.Copies("windows/System32/rundll32.exe");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0],
              "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\n"
              "AddReg = Add.reg\r\nDelReg = Del.reg\r\n\r\n[Add.reg]\r\n"
              "HKCU, \"" + key + "\",\"Added\",0x00000000,hello\r\n"
              "HKLM, \"" + key + "\",\"Count\",0x00010001,42\r\n\r\n[Del.reg]\r\n"
              "HKCU, \"" + key + "\",\"Old\"\r\nHKLM, \"" + key + "\",\"Old\"\r\n");
  }
}
