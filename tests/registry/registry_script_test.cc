#include "registry/registry_script.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

RegistryScript ComposeFrom(const TempDir& dir, const std::string& params, uint32_t add,
                           uint32_t del) {
  dir.Write("Setup.ini", "[PARAMS]\n" + params);
  return ComposeRegistryScript(dir.WinPath("Setup.ini").c_str(), add, del);
}

const char kHeader[] = "[Version]\nsignature=\"$CHICAGO$\"\n\n[DefaultInstall]\n";
const char kAddOnly[] = "AddReg = Add.reg\n\n[Add.reg]\n";

std::string Addition(int index, const std::string& root, const std::string& subkey,
                     const std::string& name, const std::string& flags, const std::string& value) {
  const std::string n = "ADDREG" + std::to_string(index);
  return n + "_ROOT=" + root + "\n" + n + "_SUBKEY=" + subkey + "\n" + n + "_ENTRYNAME=" + name +
         "\n" + n + "_FLAGS=" + flags + "\n" + n + "_VALUE=" + value + "\n";
}

std::vector<std::string> LeftOut(const RegistryScript& script) {
  std::vector<std::string> entries;
  for (const LeftOutEntry& entry : script.leftOut) entries.push_back(entry.entry);
  return entries;
}

TEST(ComposeRegistryScript, WritesBothSectionsInOrder) {
  TempDir dir;
  const RegistryScript script = ComposeFrom(dir,
      Addition(1, "HKLM", "Software\\Tessik", "Path", "0x00000000", "C:\\a,b") +
      "ADDREG2_ROOT=hkcu\n"
      "DELREG1_ROOT=HKCU\nDELREG1_SUBKEY=Software\\Old\nDELREG1_ENTRYNAME=Stale\n"
      "DELREG2_ROOT=HKCU\nDELREG2_SUBKEY=Software\\Old\n",
      2, 2);
  EXPECT_EQ(script.text, std::string(kHeader) +
                             "AddReg = Add.reg\nDelReg = Del.reg\n"
                             "\n[Add.reg]\n"
                             "HKLM, \"Software\\Tessik\",\"Path\",0x00000000,\"C:\\a,b\"\n"
                             "hkcu, \"\",\"\",,\"\"\n"
                             "\n[Del.reg]\n"
                             "HKCU, \"Software\\Old\",\"Stale\"\n"
                             "HKCU, \"Software\\Old\",\"\"\n");
  EXPECT_TRUE(script.leftOut.empty());
  ASSERT_EQ(script.wholeKeyDeletions.size(), 1u);
  EXPECT_EQ(script.wholeKeyDeletions[0].entry, "DELREG2");
  EXPECT_EQ(script.wholeKeyDeletions[0].key, "HKCU\\Software\\Old");
}

// Strings are quoted with their quotes doubled, so that commas, ';', a final
// backslash and quotes reach the registry as written; other types stay bare.
TEST(ComposeRegistryScript, FieldsReachTheInstallerAsWritten) {
  TempDir dir;
  const RegistryScript script = ComposeFrom(dir,
      Addition(1, "HKCU", "Software\\Say \"hi\"", "na\"me", "", "C:\\Program Files\\Vendor\\") +
      Addition(2, "HKCU", "S", "N", "0", "C:\\a;C:\\b") +
      Addition(3, "HKCU", "S", "N", "0x00020000", "say \"hi\" now, %11%\\x") +
      Addition(4, "HKCU", "S", "N", "0x00010000", "one,two") +
      Addition(5, "HKCU", "S", "N", "65537", "42") +
      Addition(6, "HKCU", "S", "N", "1", "01,ff") +
      "ADDREG7_ROOT=HKCU\nADDREG7_VALUE=\"  padded  \"\n",
      7, 0);
  EXPECT_EQ(script.text, std::string(kHeader) + kAddOnly +
                             "HKCU, \"Software\\Say \"\"hi\"\"\",\"na\"\"me\",,"
                             "\"C:\\Program Files\\Vendor\\\"\n"
                             "HKCU, \"S\",\"N\",0,\"C:\\a;C:\\b\"\n"
                             "HKCU, \"S\",\"N\",0x00020000,\"say \"\"hi\"\" now, %11%\\x\"\n"
                             "HKCU, \"S\",\"N\",0x00010000,one,two\n"
                             "HKCU, \"S\",\"N\",65537,42\n"
                             "HKCU, \"S\",\"N\",1,01,ff\n"
                             "HKCU, \"\",\"\",,\"  padded  \"\n");
  EXPECT_TRUE(script.leftOut.empty());
}

// Each hazard leaves out its own entry, with a reason, and nothing else.
TEST(ComposeRegistryScript, HazardsLeaveOutOnlyTheirOwnEntry) {
  TempDir dir;
  const std::string long260(260, 'v'), long261(261, 'v');
  const RegistryScript script = ComposeFrom(dir,
      Addition(1, "HKCU", "S", "N", "0", std::string("before\x1a" "after")) +
      Addition(2, "HKCU", "S\x01", "N", "0", "v") +
      Addition(3, "HKEY_CURRENT_USER", "S", "N", "0", "v") +
      Addition(4, "HKCU", "S", "N", "0x10001 junk", "1") +
      Addition(5, "HKCU", "S", "N", "0x80000000", "1") +
      Addition(6, "HKCU", "S", "N", "0x00010001", "1;2") +
      Addition(7, "HKCU", "S", "N", "1", "01,02\\ ") +
      Addition(8, "HKCU", "", "", "0x00008000", "") +
      Addition(9, "HKCU", "S", "N", "0", "\"" + long261 + "\"") +
      Addition(10, "HKCU", "S", "Kept", "0", "\"" + long260 + "\"") +
      "DELREG1_ROOT=HKLM\nDELREG1_SUBKEY=\n"
      "DELREG2_ROOT=HKLM\nDELREG2_SUBKEY=\\\\\n"
      "DELREG3_SUBKEY=S\n"
      "DELREG4_ROOT=HKLM\nDELREG4_SUBKEY=Software\\Kept\nDELREG4_ENTRYNAME=" +
      std::string(260, 'n') + "\n",
      10, 4);
  EXPECT_EQ(script.text, std::string(kHeader) +
                             "AddReg = Add.reg\nDelReg = Del.reg\n\n[Add.reg]\n"
                             "HKCU, \"S\",\"Kept\",0,\"" + long260 + "\"\n\n[Del.reg]\n");
  EXPECT_EQ(LeftOut(script),
            (std::vector<std::string>{"ADDREG1", "ADDREG2", "ADDREG3", "ADDREG4", "ADDREG5",
                                      "ADDREG6", "ADDREG7", "ADDREG8", "ADDREG9", "DELREG1",
                                      "DELREG2", "DELREG3", "DELREG4"}));
  std::vector<std::string> reasons;
  for (const LeftOutEntry& entry : script.leftOut) reasons.push_back(entry.reason);
  EXPECT_EQ(reasons[0], "ADDREG1_VALUE holds a control character");
  EXPECT_EQ(reasons[1], "ADDREG2_SUBKEY holds a control character");
  EXPECT_EQ(reasons[2], "root \"HKEY_CURRENT_USER\" is not HKCR, HKCU, HKLM, HKU or HKR");
  EXPECT_EQ(reasons[3], "flags \"0x10001 junk\" are not a number the installer reads");
  EXPECT_EQ(reasons[5], "ADDREG6_VALUE holds ';', which would start a comment");
  EXPECT_EQ(reasons[6], "ADDREG7_VALUE ends with '\\', which would join the next line");
  EXPECT_EQ(reasons[7], "a deletion without a subkey would delete the whole of HKCU");
  EXPECT_EQ(reasons[8], "ADDREG9_VALUE is longer than 260 characters");
  EXPECT_EQ(reasons[9], "a deletion without a subkey would delete the whole of HKLM");
  EXPECT_EQ(reasons[12], "DELREG4_ENTRYNAME is longer than 259 characters");
}

// Only indexes whose keys are there are visited, in rising order and once,
// with the keys the index walk would read: a count of 4294967295 with two
// entries takes no longer than two entries.
TEST(ComposeRegistryScript, VisitsOnlyTheEntriesPresent) {
  TempDir dir;
  const auto started = std::chrono::steady_clock::now();
  const RegistryScript script = ComposeFrom(dir,
      "ADDREG=4294967295\nDELREG=4294967295\n"
      "addreg4294967295_root=HKLM\nADDREG4294967295_VALUE=last\n"
      "ADDREG010_ROOT=HKCU\nADDREG10_ROOT=HKCU\nADDREG10_SUBKEY=S\n"
      "ADDREG4294967296_ROOT=HKCU\nADDREG0_ROOT=HKCU\nADDREG3_ROOTS=HKCU\n"
      "DELREG7_ROOT=HKCU\nDELREG7_SUBKEY=S\nDELREG7_VALUE=ignored\n",
      4294967295u, 4294967295u);
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(script.text, std::string(kHeader) +
                             "AddReg = Add.reg\nDelReg = Del.reg\n\n[Add.reg]\n"
                             "HKCU, \"S\",\"\",,\"\"\n"
                             "HKLM, \"\",\"\",,\"last\"\n"
                             "\n[Del.reg]\n"
                             "HKCU, \"S\",\"\"\n");
  EXPECT_TRUE(script.leftOut.empty());
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  // Beyond the count nothing is read.
  EXPECT_EQ(ComposeFrom(dir, "ADDREG2_ROOT=HKCU\nADDREG2_SUBKEY=S\n", 1, 0).text,
            std::string(kHeader) + kAddOnly);
}

// A scratch TEMP and system directory, with the stand-in as the installer
// when asked for.
class RunRegistryScriptTest : public ::testing::Test {
 protected:
  RunRegistryScriptTest() {
    fs::create_directory(dir_.Path("temp"));
    fs::create_directories(dir_.Path("windows/System32"));
    dir_.Write("Setup.ini", "[PARAMS]\nADDREG=1\nADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=S\n");
  }
  ~RunRegistryScriptTest() override { SetCopyVariable(nullptr); }

  void InstallStandin() {
    std::string standin = STANDIN_PATH;
#ifdef _WIN32
    if (standin[0] == '/') standin = "Z:" + standin;
#endif
    fs::copy_file(standin, dir_.Path("windows/System32/rundll32.exe"));
    // The stand-in records the script it was handed, as it was while it ran.
    SetCopyVariable("*");
  }

  static void SetCopyVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("STANDIN_COPY", value ? value : "");
#else
    if (value)
      setenv("STANDIN_COPY", value, 1);
    else
      unsetenv("STANDIN_COPY");
#endif
  }

  RegistryStepOutcome Run(const std::string& temp) {
    return RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), temp.c_str(),
                             dir_.WinPath("windows\\System32").c_str());
  }
  RegistryStepOutcome Run() { return Run(dir_.WinPath("temp")); }

  bool TempIsEmpty() const { return fs::is_empty(dir_.Path("temp")); }

  // The lines of the stand-in's record, each as "kind" and decoded value.
  std::vector<std::pair<std::string, std::string>> Record() const {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(dir_.Read("windows/System32/rundll32.exe.record"));
    std::string kind, value;
    while (in >> kind) {
      std::getline(in, value);
      if (!value.empty()) value.erase(0, 1);
      if (kind == "arg" || (kind == "copy" && value != "missing")) {
        std::string bytes;
        for (size_t i = 0; i + 1 < value.size(); i += 2)
          bytes += static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
        value = bytes;
      }
      if (kind == "arg" || kind == "copy" || kind == "dirmode") lines.emplace_back(kind, value);
    }
    return lines;
  }

  TempDir dir_;
};

// The script goes into a folder made for it alone, which only its owner may
// enter (POSIX: mode 0700), and both are gone afterwards. A script planted
// in TEMP under the old name is neither installed nor touched.
TEST_F(RunRegistryScriptTest, InstallerRunsOnAFreshCrLfScriptInAPrivateFolder) {
  InstallStandin();
  dir_.Write("temp/AddDel.inf", "[DefaultInstall]\nAddReg = Evil\n");
  const RegistryStepOutcome outcome = Run();
  EXPECT_EQ(outcome.result, RegistryScriptOutcome::kInstallerRun);
  EXPECT_TRUE(outcome.folderRemoved);
  const std::string folder = outcome.scriptPath.substr(0, outcome.scriptPath.rfind('\\'));
  EXPECT_EQ(folder.substr(0, folder.rfind('\\')), dir_.WinPath("temp"));
  EXPECT_EQ(outcome.scriptPath.substr(folder.size()), "\\AddDel.inf");
  EXPECT_EQ(outcome.plan.installerProgram, dir_.WinPath("windows\\System32") + "\\rundll32.exe");
  std::vector<std::pair<std::string, std::string>> expected = {
      {"arg", "setupapi,InstallHinfSection"},
      {"arg", "DefaultInstall"},
      {"arg", "132"},
      {"arg", outcome.scriptPath},
#ifndef _WIN32
      {"dirmode", "700"},
#endif
      {"copy",
       "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\nAddReg = Add.reg\r\n"
       "\r\n[Add.reg]\r\nHKCU, \"S\",\"\",,\"\"\r\n"},
  };
  EXPECT_EQ(Record(), expected);
  EXPECT_EQ(dir_.Read("temp/AddDel.inf"), "[DefaultInstall]\nAddReg = Evil\n");
  fs::remove(dir_.Path("temp/AddDel.inf"));
  EXPECT_TRUE(TempIsEmpty());

  // A second run picks another folder, though the first one's name is free.
  const RegistryStepOutcome second = Run(dir_.WinPath("temp") + "\\");
  EXPECT_EQ(second.result, RegistryScriptOutcome::kInstallerRun);
  EXPECT_EQ(second.scriptPath.substr(0, dir_.WinPath("temp").size() + 2), dir_.WinPath("temp") + "\\\\");
  EXPECT_TRUE(TempIsEmpty());
}

// The installer takes the rest of its line as the path: quotes would become
// part of the name, and blanks need none; a path the installer would read
// cut short is never handed to it.
TEST(ComposeInstallerCommand, ProgramQuotedPathAsTheRestOfTheLine) {
  std::string command;
  ASSERT_TRUE(ComposeInstallerCommand("C:\\WINDOWS\\system32\\rundll32.exe",
                                      "C:\\Documents and Settings\\A\\Temp\\~reg1\\AddDel.inf",
                                      &command));
  EXPECT_EQ(command,
            "\"C:\\WINDOWS\\system32\\rundll32.exe\" setupapi,InstallHinfSection DefaultInstall "
            "132 C:\\Documents and Settings\\A\\Temp\\~reg1\\AddDel.inf");
  const std::string longest = "C:\\" + std::string(240 - 3 - 11, 't') + "\\AddDel.inf";
  ASSERT_EQ(longest.size(), 240u);
  EXPECT_TRUE(ComposeInstallerCommand("C:\\w\\rundll32.exe", longest, &command));
  EXPECT_FALSE(ComposeInstallerCommand("C:\\w\\rundll32.exe", "C:\\t" + longest.substr(3), &command));
  EXPECT_TRUE(command.empty());
  EXPECT_FALSE(ComposeInstallerCommand("", "C:\\t\\AddDel.inf", &command));
}

TEST_F(RunRegistryScriptTest, NothingToDoTouchesNothing) {
  InstallStandin();
  EXPECT_EQ(RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), nullptr,
                              dir_.WinPath("windows\\System32").c_str())
                .result,
            RegistryScriptOutcome::kSkipped);
  dir_.Write("Setup.ini", "[PARAMS]\nADDREG=0\nDELREG=0\nADDREG1_ROOT=HKCU\n");
  EXPECT_EQ(Run().result, RegistryScriptOutcome::kSkipped);
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_FALSE(dir_.Exists("windows/System32/rundll32.exe.record"));
}

TEST_F(RunRegistryScriptTest, InstallerThatCannotStartStillDeletesTheScript) {
  EXPECT_EQ(Run().result, RegistryScriptOutcome::kInstallerNotStarted);
  EXPECT_TRUE(TempIsEmpty());
  const RegistryStepOutcome unknown =
      RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), dir_.WinPath("temp").c_str(), nullptr);
  EXPECT_EQ(unknown.result, RegistryScriptOutcome::kInstallerNotStarted);
  EXPECT_TRUE(unknown.plan.installerProgram.empty());
  EXPECT_TRUE(TempIsEmpty());
}

TEST_F(RunRegistryScriptTest, NoFolderOrScriptThatCannotBeMadeEndsTheStep) {
  InstallStandin();
  EXPECT_EQ(Run(dir_.WinPath("missing")).result, RegistryScriptOutcome::kNoPrivateFolder);
  EXPECT_EQ(Run(dir_.WinPath("temp") + "\\" + std::string(230, 't')).result,
            RegistryScriptOutcome::kScriptNotWritten);
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_FALSE(dir_.Exists("windows/System32/rundll32.exe.record"));
}

}  // namespace
