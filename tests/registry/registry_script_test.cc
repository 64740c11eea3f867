#include "registry/registry_script.h"

#include <gtest/gtest.h>

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

std::string ComposeFrom(const TempDir& dir, const std::string& params, uint32_t add,
                        uint32_t del) {
  dir.Write("Setup.ini", "[PARAMS]\n" + params);
  return ComposeRegistryScript(dir.WinPath("Setup.ini").c_str(), add, del);
}

const char kHeader[] = "[Version]\nsignature=\"$CHICAGO$\"\n\n[DefaultInstall]\n";

TEST(ComposeRegistryScript, WritesBothSectionsInOrder) {
  TempDir dir;
  std::string script = ComposeFrom(dir,
      "ADDREG1_ROOT=HKLM\nADDREG1_SUBKEY=Software\\Tessik\nADDREG1_ENTRYNAME=Path\n"
      "ADDREG1_FLAGS=0x00000000\nADDREG1_VALUE=C:\\a,b \"c\"\n"
      "ADDREG2_ROOT=HKCU\n"
      "DELREG1_ROOT=HKCU\nDELREG1_SUBKEY=Software\\Old\nDELREG1_ENTRYNAME=\n",
      2, 1);
  EXPECT_EQ(script, std::string(kHeader) +
                        "AddReg = Add.reg\nDelReg = Del.reg\n"
                        "\n[Add.reg]\n"
                        "HKLM, \"Software\\Tessik\",\"Path\",0x00000000,C:\\a,b \"c\"\n"
                        "HKCU, \"\",\"\",,\n"
                        "\n[Del.reg]\n"
                        "HKCU, \"Software\\Old\",\"\"\n");
}

TEST(ComposeRegistryScript, OnlyDeletionsAndEmptyEntries) {
  TempDir dir;
  EXPECT_EQ(ComposeFrom(dir, "DELREG2_ROOT=HKLM\n", 0, 2),
            std::string(kHeader) + "DelReg = Del.reg\n\n[Del.reg]\n, \"\",\"\"\nHKLM, \"\",\"\"\n");
  EXPECT_EQ(ComposeFrom(dir, "", 1, 0),
            std::string(kHeader) + "AddReg = Add.reg\n\n[Add.reg]\n, \"\",\"\",,\n");
}

TEST(ComposeRegistryScript, IndexesAreDecimalWithoutPadding) {
  TempDir dir;
  std::string script = ComposeFrom(dir,
      "ADDREG010_ROOT=padded\nADDREG10_ROOT=HKCU\nADDREG10_SUBKEY=S\nADDREG10_ENTRYNAME=N\n"
      "ADDREG10_FLAGS=1\nADDREG10_VALUE=V\n",
      10, 0);
  EXPECT_NE(script.find("\nHKCU, \"S\",\"N\",1,V\n"), std::string::npos);
  EXPECT_EQ(script.find("padded"), std::string::npos);
}

TEST(ComposeRegistryScript, ValuesOverTheirLimitLeaveTheirEntryOut) {
  TempDir dir;
  std::string long260(260, 'v'), long259(259, 'n');
  std::string fits = "ADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=" + long260 + "\nADDREG1_ENTRYNAME=" +
                     long259 + "\nADDREG1_FLAGS=" + long259 + "\nADDREG1_VALUE=" + long260 + "\n";
  EXPECT_EQ(ComposeFrom(dir, fits, 1, 0),
            std::string(kHeader) + "AddReg = Add.reg\n\n[Add.reg]\nHKCU, \"" + long260 +
                "\",\"" + long259 + "\"," + long259 + "," + long260 + "\n");

  std::string script = ComposeFrom(dir,
      "ADDREG1_VALUE=" + long260 + "x\nADDREG2_ROOT=HKCU\nADDREG3_FLAGS=" + long259 + "x\n"
      "DELREG1_ENTRYNAME=" + long259 + "x\nDELREG2_SUBKEY=S\n",
      3, 2);
  EXPECT_EQ(script, std::string(kHeader) +
                        "AddReg = Add.reg\nDelReg = Del.reg\n\n[Add.reg]\nHKCU, \"\",\"\",,\n"
                        "\n[Del.reg]\n, \"S\",\"\"\n");
}

// A scratch TEMP and SystemRoot, with the stand-in as the installer when
// asked for.
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
    // The stand-in records what the script held while it ran.
    SetCopyVariable(ScriptPath().c_str());
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

  std::string ScriptPath() const { return dir_.Path("temp/AddDel.inf"); }

  RegistryScriptOutcome Run(const std::string& temp) {
    return RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), temp.c_str(),
                             dir_.WinPath("windows").c_str());
  }
  RegistryScriptOutcome Run() { return Run(dir_.WinPath("temp")); }

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
      if (kind == "arg" || kind == "copy") lines.emplace_back(kind, value);
    }
    return lines;
  }

  TempDir dir_;
};

TEST_F(RunRegistryScriptTest, InstallerRunsOnAFreshCrLfScriptThatIsThenDeleted) {
  InstallStandin();
  // A stale or planted script must not be installed along with ours.
  dir_.Write("temp/AddDel.inf", "[DefaultInstall]\nAddReg = Evil\n");
  EXPECT_EQ(Run(), RegistryScriptOutcome::kInstallerRun);
  EXPECT_FALSE(fs::exists(ScriptPath()));
  std::vector<std::pair<std::string, std::string>> expected = {
      {"arg", "setupapi,InstallHinfSection"},
      {"arg", "DefaultInstall"},
      {"arg", "132"},
      {"arg", dir_.WinPath("temp") + "\\AddDel.inf"},
      {"copy",
       "[Version]\r\nsignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\nAddReg = Add.reg\r\n"
       "\r\n[Add.reg]\r\nHKCU, \"S\",\"\",,\r\n"},
  };
  EXPECT_EQ(Record(), expected);
}

TEST_F(RunRegistryScriptTest, TempWithTrailingBackslashKeepsBoth) {
  InstallStandin();
  EXPECT_EQ(Run(dir_.WinPath("temp") + "\\"), RegistryScriptOutcome::kInstallerRun);
  std::vector<std::pair<std::string, std::string>> record = Record();
  ASSERT_EQ(record.size(), 5u);
  EXPECT_EQ(record[3].second, dir_.WinPath("temp") + "\\\\AddDel.inf");
  EXPECT_EQ(record[4].second.substr(0, 11), "[Version]\r\n");
  EXPECT_FALSE(fs::exists(ScriptPath()));
}

TEST_F(RunRegistryScriptTest, NothingToDoTouchesNothing) {
  InstallStandin();
  EXPECT_EQ(RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), nullptr,
                              dir_.WinPath("windows").c_str()),
            RegistryScriptOutcome::kSkipped);
  dir_.Write("Setup.ini", "[PARAMS]\nADDREG=0\nDELREG=0\nADDREG1_ROOT=HKCU\n");
  EXPECT_EQ(Run(), RegistryScriptOutcome::kSkipped);
  EXPECT_FALSE(fs::exists(ScriptPath()));
  EXPECT_FALSE(dir_.Exists("windows/System32/rundll32.exe.record"));
}

TEST_F(RunRegistryScriptTest, InstallerThatCannotStartStillDeletesTheScript) {
  EXPECT_EQ(Run(), RegistryScriptOutcome::kInstallerNotStarted);
  EXPECT_FALSE(fs::exists(ScriptPath()));
  EXPECT_EQ(RunRegistryScript(dir_.WinPath("Setup.ini").c_str(), dir_.WinPath("temp").c_str(),
                              nullptr),
            RegistryScriptOutcome::kInstallerNotStarted);
  EXPECT_FALSE(fs::exists(ScriptPath()));
}

TEST_F(RunRegistryScriptTest, ScriptThatCannotBeCreatedEndsTheStep) {
  InstallStandin();
  EXPECT_EQ(Run(dir_.WinPath("missing")), RegistryScriptOutcome::kScriptNotWritten);
  EXPECT_EQ(Run(dir_.WinPath("temp") + "\\" + std::string(250, 't')),
            RegistryScriptOutcome::kScriptNotWritten);
  // A read-only file of that name can be neither replaced nor appended to.
  dir_.Write("temp/AddDel.inf", "read-only");
  fs::permissions(ScriptPath(), fs::perms::owner_write | fs::perms::group_write |
                                    fs::perms::others_write, fs::perm_options::remove);
  EXPECT_EQ(Run(), RegistryScriptOutcome::kScriptNotWritten);
  EXPECT_EQ(dir_.Read("temp/AddDel.inf"), "read-only");
  fs::permissions(ScriptPath(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(dir_.Exists("windows/System32/rundll32.exe.record"));
}

#ifndef _WIN32
TEST_F(RunRegistryScriptTest, PlantedLinkIsReplacedNotFollowed) {
  InstallStandin();
  dir_.Write("victim", "precious");
  ASSERT_EQ(symlink(dir_.Path("victim").c_str(), ScriptPath().c_str()), 0);
  EXPECT_EQ(Run(), RegistryScriptOutcome::kInstallerRun);
  EXPECT_EQ(dir_.Read("victim"), "precious");
  EXPECT_FALSE(fs::exists(fs::symlink_status(ScriptPath())));
}
#endif

}  // namespace
