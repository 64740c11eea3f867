// launcher-check as a packager runs it: on the demo package and on broken
// configurations, natively and (Windows build) under Wine.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_program.h"
#include "support/zip_builder.h"
#include "integration/launcher_harness.h"

namespace fs = std::filesystem;

namespace {

struct CheckRun {
  int status = -1;
  std::string output;
  bool Has(const std::string& text) const { return output.find(text) != std::string::npos; }
};

CheckRun RunCheck(const std::vector<std::string>& arguments, const std::string& temp = "",
                  const EnvChanges& env = {}) {
  const char* binDir = std::getenv("LAUNCHER_TEST_BIN_DIR");
  std::vector<std::string> command = {
      (fs::path(binDir != nullptr ? binDir : "") / (UnderWine() ? "launcher-check.exe"
                                                                : "launcher-check"))
          .string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  CheckRun run;
  if (UnderWine()) {
    run.output = RunWineCommand(command, &run.status);
  } else {
    std::string line = temp.empty() ? "" : "TEMP='" + temp + "' ";
    for (const auto& change : env) line += change.first + "='" + change.second.value_or("") + "' ";
    for (const std::string& part : command) line += "'" + part + "' ";
    FILE* pipe = popen((line + "2>&1").c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string text;
  for (char c : run.output) {
    if (c != '\r') text += c;
  }
  run.output = text;
  return run;
}

}  // namespace

TEST(LauncherCheckProgram, DemoPackage) {
  LauncherPackage package;
  for (const auto& entry : fs::directory_iterator(fs::path(LAUNCHER_SOURCE_DIR) / "demo/package"))
    fs::copy_file(entry.path(), package.Path(entry.path().filename().string()),
                  fs::copy_options::overwrite_existing);
  fs::create_directories(package.Path("temp"));
  const CheckRun run = RunCheck({package.WinPath("Setup.exe"), "--tail", "-silent"},
                                package.Path("temp"));
  // The demo's archives are built by scripts/demo, so they are missing here.
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_TRUE(run.Has("configuration      " + package.WinPath("Setup.ini"))) << run.output;
  EXPECT_TRUE(run.Has("[BEFORE] COPYFROMZIP        = 1   (from the file)")) << run.output;
  EXPECT_TRUE(run.Has("[PARAMS] PASSEXITCODE       = 1   (from the file)")) << run.output;
  EXPECT_TRUE(run.Has("[PARAMS] DEFAULTCMD         = \"Quorle.exe\"   (from the file)")) << run.output;
  EXPECT_TRUE(run.Has("COPYFROMZIP is 1, but " + package.WinPath("Setup.2k") + " is missing"))
      << run.output;
  EXPECT_TRUE(run.Has("- setup: program: " + package.WinPath("Quorle.exe") +
                      "\n    command line: \"" + package.WinPath("Quorle.exe") + "\" -silent\n"))
      << run.output;
  EXPECT_TRUE(run.Has("    | HKLM, \"Software\\Demo Vendor\\Demo\",\"Version\",0x00010001,7\n"))
      << run.output;
  EXPECT_TRUE(run.Has("INILANG entries: 1031 (0x0407) 1041 (0x0411)")) << run.output;
  EXPECT_FALSE(run.Has("Values\n  !")) << run.output;
  // Nothing was changed: no script written, no swap, setup not run.
  EXPECT_TRUE(fs::is_empty(package.Path("temp")));
  EXPECT_TRUE(package.Records().empty());
}

TEST(LauncherCheckProgram, BrokenAndMissingConfigurations) {
  LauncherPackage package;
  package.WriteIni("[BEFORE]\nCOPYFROMZIPP=1\n[PARAMS]\nSLEEP=2\n");
  CheckRun run = RunCheck({package.WinPath("Setup.ini")});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_TRUE(run.Has("unknown key COPYFROMZIPP in [BEFORE]; did you mean COPYFROMZIP?"))
      << run.output;
  EXPECT_TRUE(run.Has("SLEEP is 2: only exactly 1 switches it on")) << run.output;
  EXPECT_TRUE(run.Has("2 warning(s):")) << run.output;

  run = RunCheck({package.WinPath("Other.exe")});
  EXPECT_EQ(run.status, 2) << run.output;
  EXPECT_TRUE(run.Has("cannot read the configuration " + package.WinPath("Other.ini")))
      << run.output;

  run = RunCheck({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.Has("usage: launcher-check")) << run.output;
}

// The names in force and where they came from, and the warnings for a
// refused name, a file saved as UTF-8 without its mark, a deletion of a
// whole key and a configuration without its launcher.
TEST(LauncherCheckProgram, ShowsTheNamesInForceAndWarnsAboutSilentTraps) {
  LauncherPackage package;
  package.WriteIni("[PARAMS]\nSETUPCONFIG=Setup.cfg\nSTARTMENUSOURCE=c:\\..\\x\n"
                   "DELREG=1\nDELREG1_ROOT=HKLM\nDELREG1_SUBKEY=Software\\B\xC3\xBCro\n"
                   "LOGFILE=%TEMP%\\sub\\x.log\n");
  fs::create_directories(package.Path("temp"));
  // Read in code page 1252, as under Wine in the tests' Western locale.
  CheckRun run = RunCheck({package.WinPath("Setup.exe")}, package.Path("temp"), {{"LC_ALL", "C"}});
  EXPECT_EQ(run.status, 1) << run.output;
  for (const char* expected : {
           "helper process ended after setup           Ormlatch.exe (default)",
           "setup's configuration file                 Setup.cfg (from SETUPCONFIG)",
           "its backup and language copies             Setup.bak, Setup.0407 (0x0407), ...",
           "STARTMENUSOURCE is refused (it holds a \".\" or \"..\" component)",
           "the file's characters beyond ASCII are UTF-8, but this system reads it in its ANSI "
           "code page 1252",
           "DELREG1 deletes the whole key HKLM\\Software\\B",
           "3 warning(s):"})
    EXPECT_TRUE(run.Has(expected)) << expected << "\n" << run.output;
  if (!UnderWine()) {
    EXPECT_TRUE(run.Has("- log: one line per step appended to " + package.WinPath("temp") +
                        "\\sub\\x.log (LOGFILE %TEMP%\\sub\\x.log, expanded)"))
        << run.output;
  }

  package.WriteIni("[PARAMS]\nSLEEP=0\n");
  fs::copy_file(package.Path("Setup.ini"), package.Path("Other.ini"));
  run = RunCheck({package.WinPath("Other.ini")});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_TRUE(run.Has("no launcher " + package.WinPath("Other.exe") + " beside the configuration"))
      << run.output;
}

// What setup would be started as, and the DEFAULTCMD values that start
// nothing or could mean another program.
TEST(LauncherCheckProgram, ShowsTheSetupProgramAndWarnsAboutDoubtfulDefaultCmd) {
  LauncherPackage package;
  package.InstallStandin("Setup Files/NWSetup.exe");
  const std::string program = package.WinPath("Setup Files/NWSetup.exe");
  package.WriteIni("[PARAMS]\nDEFAULTCMD=Setup Files\\NWSetup.exe /quiet\n");
  CheckRun run = RunCheck({package.WinPath("Setup.exe"), "--tail", "-t"});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_TRUE(run.Has("- setup: program: " + program + "\n    command line: \"" + program +
                      "\" /quiet -t\n"))
      << run.output;
  EXPECT_TRUE(run.Has("could be read two ways")) << run.output;

  const std::pair<std::string, std::string> refused[] = {
      {"\"Setup Files\\NWSetup.exe /quiet", "opens a quote it never closes"},
      {"..\\x.exe", "names a program outside"},
      {"Setup.exe", "names the launcher itself"},
  };
  for (const auto& [value, why] : refused) {
    package.WriteIni("[PARAMS]\nDEFAULTCMD=" + value + "\n");
    run = RunCheck({package.WinPath("Setup.exe")});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(run.Has("- setup: nothing is started: DEFAULTCMD \"" + value + "\" " + why))
        << run.output;
  }
}

// The profile deployment's second destination, below the profiles folder,
// can be far longer than the first: an entry too long for it lands in the
// user's folder only, and launcher-check shows it so.
TEST(LauncherCheckProgram, EntryTooLongForTheDefaultUserLandsOnlyWhereItFits) {
  LauncherPackage package;
  std::string profiles = "profiles";
  while (package.WinPath(profiles).size() < 120) profiles += "/" + std::string(50, 'p');
  profiles += "/" + std::string(220 - package.WinPath(profiles).size() - 1, 'q');
  ASSERT_EQ(package.WinPath(profiles).size(), 220u);
  fs::create_directories(package.Path(profiles));
  ScopedProfilesFolder profilesFolder(package.WinPath(profiles));
  const std::string defaultUser = profiles + "/Default User/Application Data/";
  package.Write("Setup.s2k", BuildZip({{"a.txt", "short"}, {"Vendor/app.cfg", "long"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n[PARAMS]\nLOGFILE=" + package.WinPath("run.log") +
                   "\n");
  const EnvChanges env = {{"APPDATA", package.WinPath("user")},
                          {"ALLUSERSPROFILE", package.WinPath(profiles) + "\\All Users"}};
  RunOptions options;
  options.env = env;
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_TRUE(fs::exists(package.Path("user/Vendor/app.cfg")));
  EXPECT_TRUE(fs::exists(package.Path(defaultUser + "a.txt")));
  EXPECT_FALSE(fs::exists(package.Path(defaultUser + "Vendor")));
  const std::string log = package.dir().Read("pkg/run.log");
  EXPECT_NE(log.find("skipped entry \"Vendor\\app.cfg\": path longer than 260 characters"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("1 file written and 2 folders made, 1 entry skipped"), std::string::npos)
      << log;

  // Under Wine only the launcher gets its environment set inside Windows;
  // the in-process check test covers the Windows build there.
  if (UnderWine()) return;
  const CheckRun run = RunCheck({package.WinPath("Setup.exe")}, "", env);
  const std::string target = package.WinPath(defaultUser) + "Vendor\\app.cfg";
  EXPECT_TRUE(run.Has("Vendor\\app.cfg -> " + package.WinPath("user") + "\\Vendor\\app.cfg\n"))
      << run.output;
  EXPECT_TRUE(run.Has("Vendor\\app.cfg -> " + target + " SKIPPED (path longer than 260"))
      << run.output;
  EXPECT_TRUE(run.Has("entry \"Vendor/app.cfg\": left out at " + package.WinPath(defaultUser) +
                      ": path longer than 260"))
      << run.output;
}

// Every variant beside the launcher is read in full, whichever one this
// system picks: what the launcher cannot unpack is warned about by entry.
TEST(LauncherCheckProgram, ReadsEveryArchiveVariant) {
  LauncherPackage package;
  ZipBuilder lzma;
  lzma.Add("first.txt", "unpacked");
  lzma.Add("packed.bin", "not really LZMA", 14);
  lzma.Add("later.txt", "never reached");
  package.Write("Setup.2k", lzma.Build().bytes);
  ZipBuilder nested;
  nested.Add("windows/system32/drv.sys", "driver");
  nested.Add("windows/bad.txt", "damaged").crc = 1;
  package.Write("Setup.xp", nested.Build().bytes);
  package.Write("Setup.s2k", BuildZip({{"Application Data/Vendor/app.cfg", "c"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n");
  const CheckRun run =
      RunCheck({package.WinPath("Setup.exe")}, "", {{"SystemRoot", package.WinPath("windows")}});
  EXPECT_EQ(run.status, 1) << run.output;
  const std::string xp = package.WinPath("Setup.xp");
  const std::string k2 = package.WinPath("Setup.2k");
  EXPECT_TRUE(run.Has(k2 + ": entry \"packed.bin\": compressed with LZMA (method 14); the launcher "
                      "reads only stored and deflate: unpacking stops at this entry, and the 1 "
                      "entry after it is not unpacked"))
      << run.output;
  EXPECT_TRUE(run.Has("packed.bin -> UNPACKING STOPS HERE")) << run.output;
  EXPECT_FALSE(run.Has("later.txt ->")) << run.output;
  EXPECT_TRUE(run.Has(xp + ": entry \"windows/bad.txt\": its data is damaged")) << run.output;
  EXPECT_TRUE(run.Has(xp + ": every entry lies under windows\\, ")) << run.output;
  const std::string s2k = package.WinPath("Setup.s2k");
  EXPECT_TRUE(run.Has(s2k + ": every entry lies under Application Data\\, ")) << run.output;
  const std::string sxp = package.WinPath("Setup.sxp");
  EXPECT_TRUE(run.Has(sxp + ": not there (profile archive for Windows XP)")) << run.output;
  EXPECT_TRUE(run.Has(k2 + ": 3 entries, each read (system archive for every other system, the one "
                      "this run picks)"))
      << run.output;
  EXPECT_TRUE(run.Has("4 warning(s):")) << run.output;
}

// --system and --language show the run another system would make, through
// the launcher's own choices; the report says it is not this system's.
TEST(LauncherCheckProgram, ShowsTheRunOfAnotherSystemAndLanguage) {
  LauncherPackage package;
  package.Write("Setup.xp", BuildZip({{"xp.txt", "x"}}).bytes);
  package.Write("Setup.2k", BuildZip({{"system32/x.sys", "x"}}).bytes);
  package.Write("Velquist.ini", "own");
  package.Write("Velquist.0411", "ja");
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n[PARAMS]\nINILANG=1\nINILANG1=1041\n");
  const std::string launcher = package.WinPath("Setup.exe");
  CheckRun run = RunCheck({"--system", "xp", launcher});
  EXPECT_TRUE(
      run.Has("what a run would do on Windows xp (ASKED FOR, not what this system would do)"))
      << run.output;
  EXPECT_TRUE(run.Has("system archive     " + package.WinPath("Setup.xp") + "\n")) << run.output;
  EXPECT_TRUE(run.Has("(asked with --system xp)")) << run.output;
  run = RunCheck({"--system", "2000", launcher});
  EXPECT_TRUE(run.Has("system archive     " + package.WinPath("Setup.2k") + "\n")) << run.output;
  EXPECT_EQ(RunCheck({"--system", "xp2", launcher}).status, 2);
  EXPECT_EQ(RunCheck({"--language", "0x10000", launcher}).status, 2);

  run = RunCheck({"--language", "0x0411", launcher});
  EXPECT_TRUE(run.Has("language swap: runs: the language asked for is 1041 (0x0411) (INILANG1)"))
      << run.output;
  run = RunCheck({"--language", "1031", launcher});
  EXPECT_TRUE(run.Has("does not run: the language asked for is 1031 (0x0407), which no INILANG"))
      << run.output;

  // The build is read from the program: the one under test, then fakes.
  EXPECT_TRUE(run.Has(UnderWine() ? "launcher build     the x86-64 build"
                                  : "launcher build     not a Windows program"))
      << run.output;
  const std::string ini = package.dir().Read("pkg/Setup.ini");
  package.Write("Fake.ini", ini);
  package.Write("Fake.2k", BuildZip({{"system32/x.sys", "x"}}).bytes);
  const std::string fake = package.WinPath("Fake.exe");
  const EnvChanges root = {{"SystemRoot", package.WinPath("windows")}};
  run = RunCheck({"--system", "7-x64", fake}, "", root);
  EXPECT_TRUE(run.Has("launcher build     not there")) << run.output;
  EXPECT_FALSE(run.Has("SysWOW64")) << run.output;
  package.Write("Fake.exe", FakeProgram(kMachineI386));
  run = RunCheck({"--system", "7-x64", fake}, "", root);
  EXPECT_TRUE(run.Has("launcher build     the i686 (32-bit) build")) << run.output;
  EXPECT_TRUE(run.Has("land in SysWOW64")) << run.output;
  EXPECT_FALSE(RunCheck({"--system", "7", fake}, "", root).Has("SysWOW64"));
  package.Write("Fake.exe", FakeProgram(kMachineAmd64));
  run = RunCheck({"--system", "7-x64", fake}, "", root);
  EXPECT_TRUE(run.Has("launcher build     the x86-64 build")) << run.output;
  EXPECT_FALSE(run.Has("SysWOW64")) << run.output;
}
