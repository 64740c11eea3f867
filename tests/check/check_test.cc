// launcher-check run in-process on small packages: the report and the
// warnings for the mistakes packagers make.
#include "launcher-check/check.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/fake_program.h"
#include "support/zip_builder.h"
#include "launcher-check/ascii_names.h"
#include "launcher-check/known_keys.h"
#include "launcher-check/launcher_build.h"
#include "platform/profile_parse.h"
#include "platform/system.h"
#include "platform/system_bits.h"
#include "support/temp_dir.h"

namespace {

void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv((name + "=" + value).c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

// The folder the system keeps its profiles in, as the launcher asks for it,
// while it lives: the default user's fixed folder counts only below it.
class ScopedProfilesFolder {
 public:
  explicit ScopedProfilesFolder(const std::string& folder) {
#ifdef _WIN32
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = sizeof(old_);
    hadOld_ = RegQueryValueExA(key_, "ProfilesDirectory", nullptr, &type_,
                               reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "ProfilesDirectory", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
#else
    setenv("LAUNCHER_PROFILES_DIRECTORY", folder.c_str(), 1);
#endif
  }
  ~ScopedProfilesFolder() {
#ifdef _WIN32
    if (key_ == nullptr) return;
    if (hadOld_)
      RegSetValueExA(key_, "ProfilesDirectory", 0, type_, reinterpret_cast<const BYTE*>(old_),
                     static_cast<DWORD>(std::strlen(old_) + 1));
    RegCloseKey(key_);
#else
    unsetenv("LAUNCHER_PROFILES_DIRECTORY");
#endif
  }

 private:
#ifdef _WIN32
  static constexpr char kKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  HKEY key_ = nullptr;
  DWORD type_ = REG_EXPAND_SZ;
  char old_[MAX_PATH + 1] = {};
  bool hadOld_ = false;
#endif
};

// A setup program the process start would find: on POSIX systems only an
// executable file counts.
void WriteProgram(const TempDir& dir, const std::string& name) {
  dir.Write(name, "MZ");
  std::filesystem::permissions(dir.Path(name), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
}

struct Checked {
  int status;
  std::string report;
  bool Has(const std::string& text) const { return report.find(text) != std::string::npos; }
};

Checked Check(const TempDir& dir, const std::string& ini, const std::string& tail = "") {
  dir.Write("Setup.ini", ini);
  if (!std::filesystem::exists(dir.Path("Setup.exe"))) dir.Write("Setup.exe", "MZ");
  CheckRequest request;
  request.target = dir.WinPath("Setup.exe");
  request.tail = tail;
  Checked checked;
  checked.status = RunLauncherCheck(request, &checked.report);
  return checked;
}

}  // namespace

TEST(LauncherCheck, PlainConfigurationHasNothingToWarnAbout) {
  TempDir dir;
  WriteProgram(dir, "Quorle.exe");
  // Blanks inside the brackets and lone CR line ends read as written.
  const Checked checked =
      Check(dir, "; comment\r\n[ PARAMS\t]\rSLEEP=0\r\n", "-silent \"a b\"");
  EXPECT_EQ(checked.status, kCheckClean) << checked.report;
  EXPECT_TRUE(checked.Has("No warnings.")) << checked.report;
  EXPECT_TRUE(checked.Has("command line: \"" + dir.WinPath("Quorle.exe") + "\" -silent \"a b\""))
      << checked.report;
  EXPECT_TRUE(checked.Has("[PARAMS] SLEEP              = 0   (from the file)")) << checked.report;
  EXPECT_TRUE(checked.Has("[PARAMS] DEFAULTCMD         = \"Quorle.exe\"   (default)"))
      << checked.report;
  EXPECT_TRUE(checked.Has("exit status: 1")) << checked.report;
}

TEST(LauncherCheck, ShowsWhatTheSetupWaitCovers) {
  TempDir dir;
  WriteProgram(dir, "Quorle.exe");
  EXPECT_TRUE(Check(dir, "[PARAMS]\n").Has("not for what it starts; WAITALL is not set"));
  const Checked whole = Check(dir, "[PARAMS]\nWAITALL=1\n");
  EXPECT_EQ(whole.status, kCheckClean) << whole.report;
  EXPECT_TRUE(whole.Has("every process started from it have ended")) << whole.report;
  // A helper that setup leaves running would hold the launcher for ever.
  const Checked helper = Check(dir, "[PARAMS]\nWAITALL=1\nTERMINATEORMLATCH=1\n");
  EXPECT_EQ(helper.status, kCheckWarnings) << helper.report;
  EXPECT_TRUE(helper.Has("WAITALL and TERMINATEORMLATCH are both 1")) << helper.report;
}

TEST(LauncherCheck, UnreadableConfigurationIsStatusTwo) {
  TempDir dir;
  CheckRequest request;
  request.target = dir.WinPath("Missing.exe");
  std::string report;
  EXPECT_EQ(RunLauncherCheck(request, &report), kCheckUnreadable);
  EXPECT_NE(report.find("cannot read the configuration " + dir.WinPath("Missing.ini")),
            std::string::npos)
      << report;
}

TEST(LauncherCheck, WarnsAboutLikelyMistakes) {
  TempDir dir;
  const std::string longValue(261, 'v');
  const Checked checked = Check(dir,
      "[PARAMS]\n"
      "COPYFROMZIP=1\n"           // belongs in [BEFORE]
      "SLEEP=2\n"                 // only 1 switches on
      "TERMINATEORMLATCH=yes\n"   // reads as 0
      "INILANG=3\nINILANG1=0411\nINILANG2=1031\n"  // 0411 is decimal; entry 3 missing
      "ADDREG=1\nADDREG1_ROOT=HKCU\nADDREG1_SUBKEY=Software\\X\nADDREG1_VALUE=" + longValue +
      "\nADDREG2_ROOT=HKCU\n"     // beyond the count
      "DEFAULTCMD=Missing.exe\n"
      "SLEEPTIME=1\nSLEEPTIME=2\n"  // duplicate key
      "CHECKSTARTPROGRAM=0X1\n"    // upper-case prefix: reads as 0
      "[BEFORE]\nCOPYFROMZIPP=1\nCOPYSETFROMZIP=1\n"
      "[PARAMS]\nCHECKSTARTPROGRAM=1\n");  // duplicate section: never read
  EXPECT_EQ(checked.status, kCheckWarnings) << checked.report;
  for (const char* expected : {
           "COPYFROMZIP is in [PARAMS], but the launcher reads it from [BEFORE]",
           "SLEEP is 2: only exactly 1 switches it on",
           "TERMINATEORMLATCH=yes is not a plain number: it reads as 0",
           "INILANG1=0411 is read in decimal, as 411",
           "INILANG is 3, but entry 3 is missing",
           "ADDREG1_VALUE is 261 characters long, more than 260",
           "ADDREG2 lies beyond ADDREG=1",
           "DEFAULTCMD \"Missing.exe\" names no existing file",
           "SLEEPTIME appears again in [PARAMS]",
           "CHECKSTARTPROGRAM=0X1 is not a plain number: it reads as 0",
           "unknown key COPYFROMZIPP in [BEFORE]; did you mean COPYFROMZIP?",
           "section [PARAMS] appears again",
           // The reason a step does not run names the misplaced key.
           "system deployment: does not run: COPYFROMZIP stands in [PARAMS], not in [BEFORE]",
       }) {
    EXPECT_TRUE(checked.Has(expected)) << "missing: " << expected << "\n" << checked.report;
  }
  // The profile archive is missing: a warning, and the step does nothing.
  EXPECT_TRUE(checked.Has("COPYSETFROMZIP is 1, but " + dir.WinPath("Setup.s2k") + " is missing"))
      << checked.report;
}

TEST(LauncherCheck, WarnsAboutByteOrderMarksWindowsMisreads) {
  TempDir dir;
  WriteProgram(dir, "Quorle.exe");
  EXPECT_TRUE(Check(dir, "\xEF\xBB\xBF[PARAMS]\nSLEEP=0\n").Has("UTF-8 byte-order mark"));
  // Harmless when the first line is a comment and all else is ASCII.
  EXPECT_EQ(Check(dir, "\xEF\xBB\xBF; x\n[PARAMS]\nSLEEP=0\n").status, kCheckClean);
  EXPECT_TRUE(Check(dir, std::string("\xFF\xFE[\0P\0]\0", 8)).Has("Windows 95, 98 and Me"));
}

// What a run does about a former run's leftovers and another product's
// launcher: the mutex's name and where it came from, an unusable one
// warned about, and a stranded language swap to be undone.
TEST(LauncherCheck, ShowsTheMutexNameAndAnInterruptedSwap) {
  TempDir dir;
  WriteProgram(dir, "Quorle.exe");
  Checked checked = Check(dir, "[PARAMS]\nMUTEXNAME=Product One\n");
  EXPECT_EQ(checked.status, kCheckClean) << checked.report;
  EXPECT_TRUE(checked.Has("MUTEXNAME          = \"Product One\"   (from the file)"))
      << checked.report;
  EXPECT_TRUE(checked.Has("mutex \"Product One\" held ends at once (MUTEXNAME)")) << checked.report;

  checked = Check(dir, "[PARAMS]\nMUTEXNAME=Global\\Setup\n");
  EXPECT_EQ(checked.status, kCheckWarnings);
  EXPECT_TRUE(checked.Has("mutex \"Setup.exe\" held")) << checked.report;
  EXPECT_TRUE(checked.Has("MUTEXNAME holds a backslash")) << checked.report;

  dir.Write("Velquist.ini", "ja");
  dir.Write("Velquist.bak", "own");
  dir.Write("Velquist.0411", "ja");
  // Whatever this system's language, the listed copy is recognised.
  checked = Check(dir, "[PARAMS]\nINILANG=1\nINILANG1=1041\n");
  EXPECT_TRUE(checked.Has("an interrupted swap will be undone first")) << checked.report;
  EXPECT_EQ(checked.status, kCheckWarnings);
}

TEST(LauncherCheck, ListsArchiveEntriesAndFlagsHostileOnes) {
  TempDir dir;
  const BuiltZip zip = BuildZip({{"system32/demo.sys", "driver"},
                                 {"../evil.txt", "x"},
                                 {"fonts/", ""}});
  dir.Write("Setup.2k", zip.bytes);
  WriteProgram(dir, "Quorle.exe");
  dir.Write("windows/.keep", "");
  SetEnv("SystemRoot", dir.WinPath("windows"));
  // The i686 launcher, which 64-bit Windows redirects.
  dir.Write("Setup.exe", FakeProgram(kMachineI386));
  const Checked checked = Check(dir, "[BEFORE]\nCOPYFROMZIP=1\n");
  const std::string root = dir.WinPath("windows") + "\\";
  EXPECT_TRUE(checked.Has("system32\\demo.sys -> " + root + "system32\\demo.sys")) << checked.report;
  EXPECT_TRUE(checked.Has("fonts\\ -> " + root + "fonts\\ (folder)")) << checked.report;
  EXPECT_TRUE(checked.Has("SKIPPED ..\\evil.txt (hostile name")) << checked.report;
  EXPECT_TRUE(checked.Has(dir.WinPath("Setup.2k") + ": entry \"../evil.txt\": left out: hostile"))
      << checked.report;
  EXPECT_EQ(checked.Has("land in SysWOW64"), IsSystem64Bit()) << checked.report;
  EXPECT_EQ(checked.status, kCheckWarnings);
}

// A program's header is outside input: a cut or lying one reads as no
// Windows program, never past its end.
TEST(LauncherCheck, ReadsTheLauncherBuildFromItsHeader) {
  TempDir dir;
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("none.exe")), LauncherBuild::kMissing);
  const std::string i686 = FakeProgram(kMachineI386);
  dir.Write("i686.exe", i686);
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("i686.exe")), LauncherBuild::kI686);
  dir.Write("amd64.exe", FakeProgram(kMachineAmd64));
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("amd64.exe")), LauncherBuild::kX8664);
  dir.Write("cut.exe", i686.substr(0, 0x45));  // half of the Machine field
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("cut.exe")), LauncherBuild::kNotPe);
  std::string distant = i686;
  distant[0x3f] = '\xff';  // the signature's offset: far beyond the file
  dir.Write("distant.exe", distant);
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("distant.exe")), LauncherBuild::kNotPe);
  dir.Write("elf.exe", "\x7f" "ELF");
  EXPECT_EQ(DetectLauncherBuild(dir.WinPath("elf.exe")), LauncherBuild::kNotPe);
}

// The profile deployment's second destination is checked as the launcher
// takes it: an entry too long for it is skipped there only.
TEST(LauncherCheck, EachDestinationIsCheckedForPathLength) {
  TempDir dir;
  dir.Write("Setup.s2k", BuildZip({{"a.txt", "a"}, {"Vendor/app.cfg", "c"}}).bytes);
  WriteProgram(dir, "Quorle.exe");
  std::string profiles = "C:\\" + std::string(100, 'p') + "\\" + std::string(116, 'q');
  ASSERT_EQ(profiles.size(), 220u);
  SetEnv("APPDATA", dir.WinPath("user"));
  SetEnv("ALLUSERSPROFILE", profiles + "\\All Users");
  ScopedProfilesFolder profilesFolder(profiles);
  const Checked checked = Check(dir, "[BEFORE]\nCOPYSETFROMZIP=1\n");
  const std::string defaultUser = profiles + "\\Default User\\Application Data\\";
  EXPECT_TRUE(checked.Has("Vendor\\app.cfg -> " + dir.WinPath("user") + "\\Vendor\\app.cfg\n"))
      << checked.report;
  EXPECT_TRUE(checked.Has("a.txt -> " + defaultUser + "a.txt\n")) << checked.report;
  EXPECT_TRUE(checked.Has("Vendor\\app.cfg -> " + defaultUser + "Vendor\\app.cfg SKIPPED (path"))
      << checked.report;
  EXPECT_TRUE(
      checked.Has("entry \"Vendor/app.cfg\": left out at " + defaultUser + ": path longer"))
      << checked.report;
}

#ifndef _WIN32
// The dry run asks the profile's folders as the launcher will.
TEST(LauncherCheck, MarksEntriesBelowALinkInTheProfile) {
  TempDir dir;
  dir.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "c"}}).bytes);
  WriteProgram(dir, "Quorle.exe");
  dir.Write("elsewhere/.keep", "");
  dir.Write("user/.keep", "");
  std::filesystem::create_directory_symlink(dir.Path("elsewhere"), dir.Path("user/Vendor"));
  SetEnv("APPDATA", dir.WinPath("user"));
  SetEnv("ALLUSERSPROFILE", dir.WinPath("profiles\\All Users"));
  const Checked checked = Check(dir, "[BEFORE]\nCOPYSETFROMZIP=1\n");
  EXPECT_TRUE(checked.Has("Vendor\\app.cfg -> " + dir.WinPath("user") +
                          "\\Vendor\\app.cfg SKIPPED (a folder on its way is a link)"))
      << checked.report;  // The system here names no profiles folder: no stray "Default User".
  EXPECT_TRUE(checked.Has("- profile deployment: leaves out the default user's folder: the system "
                          "names none, and "))
      << checked.report;
}
#endif

TEST(LauncherCheck, ShowsTheRegistryScriptAndInstallerCommand) {
  TempDir dir;
  WriteProgram(dir, "Quorle.exe");
  SetEnv("TEMP", dir.WinPath("temp"));
  const Checked checked = Check(dir,
      "[PARAMS]\nADDREG=2\nADDREG1_ROOT=HKLM\nADDREG1_SUBKEY=Software\\Demo\n"
      "ADDREG1_ENTRYNAME=Version\nADDREG1_FLAGS=0x00010001\nADDREG1_VALUE=7\n"
      "ADDREG2_ROOT=HKEY_LOCAL_MACHINE\nADDREG2_SUBKEY=S\n"
      "DELREG=1\nDELREG1_ROOT=HKCU\nDELREG1_SUBKEY=Software\\Old\n");
  EXPECT_EQ(checked.status, kCheckWarnings) << checked.report;
  EXPECT_TRUE(checked.Has("ADDREG2 is left out of the script: root \"HKEY_LOCAL_MACHINE\" is not"))
      << checked.report;
  EXPECT_TRUE(checked.Has("DELREG1 deletes the whole key HKCU\\Software\\Old, with everything"))
      << checked.report;
  EXPECT_TRUE(checked.Has("    | [Del.reg]\n    | HKCU, \"Software\\Old\",\"\"\n")) << checked.report;
  const std::string script = dir.WinPath("temp") + "\\<fresh private folder>\\AddDel.inf";
  EXPECT_TRUE(checked.Has("writes " + script)) << checked.report;
  EXPECT_TRUE(checked.Has("    | [DefaultInstall]\n    | AddReg = Add.reg\n    | DelReg = Del.reg\n")) << checked.report;
  EXPECT_TRUE(checked.Has("    | HKLM, \"Software\\Demo\",\"Version\",0x00010001,7\n"))
      << checked.report;
  std::string system;
  ASSERT_TRUE(GetSystemDirectoryPath(&system));
  EXPECT_TRUE(checked.Has("then runs: \"" + system +
                          "\\rundll32.exe\" setupapi,InstallHinfSection DefaultInstall 132 " +
                          script))
      << checked.report;
}

TEST(LauncherCheck, KeyNamesAndLayout) {
  bool badIndex = false;
  EXPECT_NE(FindKnownKey("addreg12_subkey", &badIndex), nullptr);
  EXPECT_FALSE(badIndex);
  EXPECT_NE(FindKnownKey("INILANG01", &badIndex), nullptr);
  EXPECT_TRUE(badIndex);
  EXPECT_EQ(FindKnownKey("SOMETHING", &badIndex), nullptr);
  std::string suggestion;
  ASSERT_NE(FindNearKey("ADDREG3_SUBKY", &suggestion), nullptr);
  EXPECT_EQ(suggestion, "ADDREG3_SUBKEY");
  EXPECT_EQ(FindNearKey("VENDOR", &suggestion), nullptr);

  // launcher-check sees the layout through the reader's own rules.
  const auto sections = ParseProfile("top=1\r[ PARAMS ]\r ; x=1\n\n bare \r\n a = b \r");
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].entries.size(), 1u);
  EXPECT_EQ(sections[1].name, "PARAMS");
  ASSERT_EQ(sections[1].entries.size(), 3u);
  EXPECT_EQ(sections[1].entries[0].name, "; x");
  EXPECT_FALSE(sections[1].entries[1].hasEquals);
  EXPECT_EQ(sections[1].entries[2].name, "a");
  EXPECT_EQ(sections[1].entries[2].value, "b");
  EXPECT_EQ(sections[1].entries[2].line, 6);
}


