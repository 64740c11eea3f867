// After setup, the listed registry changes go through the system's INF
// installer, started from the system directory, as a script in a folder of
// the launcher's own in TEMP; both are deleted afterwards.
#include <gtest/gtest.h>

#include "platform/file_system.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

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
    // No installer here: the stand-in takes its place in the system
    // directory and records the script it is handed.
    fs::create_directories(package.Path("c/windows/System32"));
    package.InstallStandin("c/windows/System32/rundll32.exe");
    options.env = {{"TEMP", package.Path("temp")},
                   {"LAUNCHER_DRIVE_C", package.Path("c")},
                   {"STANDIN_COPY", "*"}};
  }
  EXPECT_EQ(package.Run(options).status, 1);
  // The script planted under the old name is left alone, and nothing of
  // ours stays in TEMP.
  EXPECT_EQ(package.dir().Read("pkg/temp/AddDel.inf"), kStaleScript);
  fs::remove(package.Path("temp/AddDel.inf"));
  EXPECT_TRUE(fs::is_empty(package.Path("temp")));
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
    auto records = package.Records("c/windows/System32/rundll32.exe");
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].arguments.size(), 4u);
    EXPECT_EQ(records[0].arguments[2], "132");
    // A folder made for the script alone, which only its owner may enter.
    const std::string temp = DrivePathFromNative(package.Path("temp")) + "\\";
    const std::string script = records[0].arguments[3];
    EXPECT_EQ(script.substr(0, temp.size()), temp);
    EXPECT_EQ(script.size(), temp.size() + 12 + 11) << script;
    EXPECT_EQ(script.substr(script.size() - 11), "\\AddDel.inf");
    EXPECT_EQ(records[0].directoryMode, 0700u);
    std::vector<std::string> copies =
        package.Copies("c/windows/System32/rundll32.exe");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0],
              "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\n"
              "AddReg = Add.reg\r\nDelReg = Del.reg\r\n\r\n[Add.reg]\r\n"
              "HKCU, \"" + key + "\",\"Added\",0x00000000,\"hello\"\r\n"
              "HKLM, \"" + key + "\",\"Count\",0x00010001,42\r\n\r\n[Del.reg]\r\n"
              "HKCU, \"" + key + "\",\"Old\"\r\nHKLM, \"" + key + "\",\"Old\"\r\n");
  }
}

namespace {

// The "TYPE    data" that `reg query` shows for value `name`, or "missing".
std::string QueriedValue(const std::string& query, const std::string& name) {
  const std::string start = "    " + name + "    ";
  for (size_t pos = 0; pos < query.size();) {
    size_t end = query.find("\r\n", pos);
    if (end == std::string::npos) end = query.size();
    if (query.compare(pos, start.size(), start) == 0)
      return query.substr(pos + start.size(), end - pos - start.size());
    pos = end + 2;
  }
  return "missing";
}

// Keys of the test's own under HKCU and HKLM, made before the run.
void ImportKeys(const LauncherPackage& package, const std::string& text) {
  package.Write("before.reg", "REGEDIT4\r\n\r\n" + text);
  int status = -1;
  RunWineCommand({"reg", "import", package.WinPath("before.reg")}, &status);
  ASSERT_EQ(status, 0);
}

RunOptions RegistryRun(const LauncherPackage& package) {
  fs::create_directories(package.Path("temp"));
  RunOptions options;
  if (UnderWine()) {
    options.env = {{"TEMP", package.WinPath("temp")}};
  } else {
    fs::create_directories(package.Path("c/windows/System32"));
    package.InstallStandin("c/windows/System32/rundll32.exe");
    options.env = {{"TEMP", package.Path("temp")}, {"LAUNCHER_DRIVE_C", package.Path("c")}};
  }
  return options;
}

}  // namespace

// Values that are INF syntax land as written; each hazard leaves out only
// its own entry, gets a log line, and the rest of the registry is untouched.
TEST(RegistryScript, HazardsLandAsWrittenOrLeaveOnlyTheirOwnEntry) {
  LauncherPackage package;
  const std::string stamp = std::to_string(NowMs());
  const std::string key = "Software\\LocregHazard" + stamp;
  const std::string canary = "Software\\LocregCanary" + stamp;
  const std::string gone = "Software\\LocregGone" + stamp;
  auto add = [](int n, const std::string& root, const std::string& subkey,
                const std::string& name, const std::string& flags, const std::string& value) {
    const std::string k = "ADDREG" + std::to_string(n);
    return k + "_ROOT=" + root + "\n" + k + "_SUBKEY=" + subkey + "\n" + k + "_ENTRYNAME=" +
           name + "\n" + k + "_FLAGS=" + flags + "\n" + k + "_VALUE=" + value + "\n";
  };
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                   "\nADDREG=11\nDELREG=4\n" +
                   add(1, "HKCU", key, "Dir", "0", "C:\\Program Files\\Vendor\\") +
                   add(2, "HKCU", key, "Paths", "0", "C:\\a;C:\\b") +
                   add(3, "HKCU", key, "Plain", "", "one,two") +
                   add(4, "HKCU", key, "Say \"hi\"", "0x00020000", "say \"hi\" now") +
                   add(5, "hkcu", key, "Multi", "0x00010000", "one,two") +
                   add(6, "HKCU", key, "Dword", "0x00010001", "7") +
                   add(7, "HKCU", key, "CtrlZ", "0", "a\x1a" "b") +
                   add(8, "HKCU", key, "Semi", "0x00010001", "1;2") +
                   add(9, "HKCU", key, "Long", "0", "\"" + std::string(261, 'v') + "\"") +
                   add(10, "HKCU", key, "Percent", "0", "100%%") +
                   add(11, "HKCU", key, "After", "0", "last") +
                   "DELREG1_ROOT=HKCU\n"
                   "DELREG2_ROOT=HKLM\nDELREG2_SUBKEY=\\\n"
                   "DELREG3_ROOT=HKLM\nDELREG3_SUBKEY=" + gone + "\n"
                   "DELREG4_ROOT=HKEY_LOCAL_MACHINE\nDELREG4_SUBKEY=" + canary + "\n");
  if (UnderWine()) {
    ImportKeys(package, "[HKEY_CURRENT_USER\\" + canary + "]\r\n\"c\"=\"1\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\" + canary + "]\r\n\"c\"=\"1\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\" + gone + "\\Sub]\r\n\"g\"=\"1\"\r\n");
  }
  EXPECT_EQ(package.Run(RegistryRun(package)).status, 1);
  EXPECT_TRUE(fs::is_empty(package.Path("temp")));

  const std::string log = package.dir().Read("pkg/run.log");
  for (const char* entry : {"ADDREG7", "ADDREG8", "ADDREG9", "DELREG1", "DELREG2", "DELREG4"})
    EXPECT_NE(log.find(std::string("registry: ") + entry + " left out: "), std::string::npos)
        << entry << "\n" << log;
  EXPECT_NE(log.find("registry: ADDREG9 left out: ADDREG9_VALUE is longer than 260 characters"),
            std::string::npos) << log;
  if (!UnderWine()) return;

  const std::string values = RunWineCommand({"reg", "query", "HKCU\\" + key});
  EXPECT_EQ(QueriedValue(values, "Dir"), "REG_SZ    C:\\Program Files\\Vendor\\");
  EXPECT_EQ(QueriedValue(values, "Paths"), "REG_SZ    C:\\a;C:\\b");
  EXPECT_EQ(QueriedValue(values, "Plain"), "REG_SZ    one,two");
  EXPECT_EQ(QueriedValue(values, "Say \"hi\""), "REG_EXPAND_SZ    say \"hi\" now");
  EXPECT_EQ(QueriedValue(values, "Multi"), "REG_MULTI_SZ    one\\0two");
  EXPECT_EQ(QueriedValue(values, "Dword"), "REG_DWORD    0x7");
  EXPECT_EQ(QueriedValue(values, "Percent"), "REG_SZ    100%");
  EXPECT_EQ(QueriedValue(values, "After"), "REG_SZ    last");
  for (const char* name : {"CtrlZ", "Semi", "Long"})
    EXPECT_EQ(QueriedValue(values, name), "missing") << name << "\n" << values;
  for (const char* root : {"HKCU\\", "HKLM\\"}) {
    EXPECT_EQ(QueriedValue(RunWineCommand({"reg", "query", root + canary}), "c"), "REG_SZ    1")
        << root;
  }
  int status = -1;
  RunWineCommand({"reg", "query", "HKLM\\" + gone}, &status);
  EXPECT_NE(status, 0) << "a deletion without a value name deletes the whole key";
}

// Counts of 4294967295 with two entries each cost what two entries cost.
TEST(RegistryScript, HugeCountsWithFewEntriesFinishFast) {
  LauncherPackage package;
  const std::string key = "Software\\LocregHuge" + std::to_string(NowMs());
  package.WriteIni("[PARAMS]\nINILANG=4294967295\nINILANG7=1\nINILANG4294967295=2\n"
                   "ADDREG=4294967295\nDELREG=4294967295\n"
                   "ADDREG9_ROOT=HKCU\nADDREG9_SUBKEY=" + key + "\nADDREG9_ENTRYNAME=A\nADDREG9_VALUE=a\n"
                   "ADDREG4294967295_ROOT=HKCU\nADDREG4294967295_SUBKEY=" + key +
                   "\nADDREG4294967295_ENTRYNAME=B\nADDREG4294967295_VALUE=b\n"
                   "DELREG3_ROOT=HKCU\nDELREG3_SUBKEY=" + key + "x\nDELREG3_ENTRYNAME=A\n"
                   "DELREG4294967295_ROOT=HKCU\nDELREG4294967295_SUBKEY=" + key + "x\n");
  const RunOptions options = RegistryRun(package);
  const long long started = NowMs();
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_LT(NowMs() - started, 15000);
  ASSERT_EQ(package.Records().size(), 1u);
  if (UnderWine()) {
    const std::string values = RunWineCommand({"reg", "query", "HKCU\\" + key});
    EXPECT_EQ(QueriedValue(values, "A"), "REG_SZ    a") << values;
    EXPECT_EQ(QueriedValue(values, "B"), "REG_SZ    b") << values;
  }
}

// A rundll32.exe in the folder that SystemRoot names is never run: the
// installer comes from the system directory, whatever the environment says.
// A TEMP with blanks reaches the installer whole.
TEST(RegistryScript, InstallerComesFromTheSystemDirectoryNotSystemRoot) {
  LauncherPackage package;
  const std::string key = "Software\\LocregRoot" + std::to_string(NowMs());
  package.WriteIni("[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                   "\nADDREG=1\nADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=" + key +
                   "\nADDREG1_ENTRYNAME=A\nADDREG1_VALUE=a\n");
  RunOptions options = RegistryRun(package);
  fs::create_directories(package.Path("windows/System32"));
  package.InstallStandin("windows/System32/rundll32.exe");
  options.env.push_back({"SystemRoot", package.WinPath("windows")});
  fs::create_directories(package.Path("my temp"));
  options.env.push_back({"TEMP", UnderWine() ? package.WinPath("my temp") : package.Path("my temp")});
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_TRUE(package.Records("windows/System32/rundll32.exe").empty());
  EXPECT_TRUE(fs::is_empty(package.Path("my temp")));
  const std::string log = package.dir().Read("pkg/run.log");
  if (UnderWine()) {
    const std::string values = RunWineCommand({"reg", "query", "HKCU\\" + key});
    EXPECT_EQ(QueriedValue(values, "A"), "REG_SZ    a") << values;
    EXPECT_NE(log.find("installed by C:\\windows\\system32\\rundll32.exe and deleted"),
              std::string::npos) << log;
  } else {
    EXPECT_EQ(package.Records("c/windows/System32/rundll32.exe").size(), 1u);
    EXPECT_NE(log.find("installed by C:\\windows\\System32\\rundll32.exe and deleted"),
              std::string::npos) << log;
  }
}

// A program of the user's that waits for the script in TEMP and rewrites it
// finds nothing to rewrite: the launcher's values land, the racer's never.
TEST(RegistryScript, ScriptCannotBeSwappedInTemp) {
  if (!UnderWine()) GTEST_SKIP() << "the racer is a Windows program";
  LauncherPackage package;
  const std::string stamp = std::to_string(NowMs());
  const std::string key = "Software\\LocregRace" + stamp;
  fs::copy_file(BuildProgram("racer"), package.Path("racer.exe"));
  package.WriteIni("[PARAMS]\nADDREG=1\nADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=" + key +
                   "\nADDREG1_ENTRYNAME=Ours\nADDREG1_VALUE=ours\n");
  RunOptions options = RegistryRun(package);
  options.env.push_back({"STANDIN_SPAWN_QUORLE", package.WinPath("racer.exe")});
  options.env.push_back({"RACER_KEY", key});
  options.env.push_back({"RACER_STOP", package.WinPath("stop")});
  options.env.push_back({"RACER_RECORD", package.WinPath("racer.record")});
  // Setup lasts long enough for the racer to be polling before the script.
  options.env.push_back({"STANDIN_SLEEP_MS", "500"});
  EXPECT_EQ(package.Run(options).status, 1);
  package.Write("stop", "");
  for (int i = 0; i < 100 && !package.dir().Exists("pkg/racer.record"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(package.dir().Read("pkg/racer.record"), "rewrites 0\n");
  const std::string values = RunWineCommand({"reg", "query", "HKCU\\" + key});
  EXPECT_EQ(QueriedValue(values, "Ours"), "REG_SZ    ours") << values;
  EXPECT_EQ(QueriedValue(values, "Racer"), "missing") << values;
  EXPECT_TRUE(fs::is_empty(package.Path("temp")));
}
