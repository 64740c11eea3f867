// Libraries left beside the launcher never run in it: the launcher runs with
// administrator rights from folders anyone may write to.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "integration/launcher_harness.h"
#include "support/zip_builder.h"

namespace fs = std::filesystem;

namespace {

// The base names (lower case, ".dll" dropped) of the libraries that Wine's
// loader reports for the process that ran `program`.
std::set<std::string> LibrariesLoadedBy(const std::string& trace, const std::string& program) {
  // "<pid>:<tid>:trace:loaddll:build_module Loaded L"C:\\...\\name.dll" at ..."
  const std::regex loaded(R"(^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"([^"]*)\")");
  std::set<std::string> names;
  std::string pid;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, loaded)) continue;
    std::string path = match[2];
    std::string name = path.substr(path.find_last_of('\\') + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (pid.empty() && name == program) pid = match[1];
    if (match[1] != pid || name.size() < 4 || name.substr(name.size() - 4) != ".dll") continue;
    names.insert(name.substr(0, name.size() - 4));
  }
  return names;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

// Every step switched on, once to learn which libraries the launcher loads,
// then with a copy of a marker library planted beside it under each of those
// names (and the names such stubs are known to have loaded), with Wine told
// to take a library from beside the program before its own.
TEST(PlantedLibraries, NoneRunsAndTheRunStillDoesEverything) {
  if (!UnderWine()) GTEST_SKIP() << "the loader's search is Windows'";

  // A helper process to end, kept running by another launcher.
  LauncherPackage holder("Holder.exe", "holder");
  holder.InstallStandin("Ormlatch.exe");
  holder.WriteIni("[PARAMS]\r\nDEFAULTCMD=Ormlatch.exe\r\n");

  LauncherPackage package;
  // Wine reports the prefix's account as the owner of the Start-menu folder
  // the test makes, which only XP takes for an administrator's.
  ScopedWineVersion windowsXp("Setup.exe", "winxp");
  const std::string folder = "LauncherPlantTest" + std::to_string(getpid());
  package.Write("Setup.xp", BuildZip({{folder + "/system.txt", "system"}}).bytes);
  package.Write("Setup.sxp", BuildZip({{folder + "/profile.txt", "profile"}}).bytes);
  package.Write("Velquist.ini", "[own]\r\n");
  package.Write("Velquist.0409", "[english]\r\n");
  package.WriteIni(
      "[BEFORE]\r\nCOPYFROMZIP=1\r\nCOPYSETFROMZIP=1\r\n"
      "[PARAMS]\r\nINILANG=1\r\nINILANG1=1033\r\nWAITALL=1\r\nTERMINATEORMLATCH=1\r\n"
      "CHECKSTARTPROGRAM=1\r\nLOGFILE=" + package.WinPath("run.log") + "\r\n"
      "ADDREG=1\r\nADDREG1_ROOT=HKCU\r\nADDREG1_SUBKEY=Software\\" + folder + "\r\n"
      "ADDREG1_ENTRYNAME=planted\r\nADDREG1_FLAGS=0x00010001\r\nADDREG1_VALUE=7\r\n");
  const fs::path startSource = fs::path(WinePrefix()) / "drive_c/Tessik Halvern Wireless";
  const fs::path startTarget = fs::path(WinePrefix()) /
                               "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" /
                               "Tessik Halvern Wireless";
  const std::string windows = WinePrefix() + "/drive_c/windows/" + folder;
  auto prepare = [&] {
    std::error_code error;
    fs::remove_all(startTarget, error);
    fs::create_directories(startSource);
    std::ofstream(startSource / "Program.lnk") << "link";
    fs::remove(package.Path("run.log"), error);
    RunOptions hold;
    hold.env = {{"STANDIN_SLEEP_MS", std::string("60000")}};
    hold.background = true;
    holder.Run(hold);
    for (int i = 0; i < 600 && holder.Records("Ormlatch.exe").size() < 1; ++i) usleep(50 * 1000);
  };

  prepare();
  RunOptions traced;
  traced.wineEnv = {{"WINEDEBUG", std::string("+loaddll,+pid")}};
  traced.stderrFile = package.Path("loaddll.txt");
  EXPECT_EQ(package.Run(traced).status, 1);
  holder.Wait();
  std::set<std::string> names = LibrariesLoadedBy(package.dir().Read("pkg/loaddll.txt"), "setup.exe");
  EXPECT_TRUE(names.count("psapi")) << "the helper step loads the process-status library";
  for (const char* known : {"version", "uxtheme", "dwmapi", "cryptbase", "userenv", "setupapi",
                            "shell32", "shlwapi", "psapi", "advapi32", "comctl32"})
    names.insert(known);
  // Mapped into every process before its first instruction, by the system's
  // own loader; and the C runtime, which only Windows' known-library list
  // keeps to the system directory (Wine has none; the packager's guide says what that
  // means on XP).
  for (const char* system : {"ntdll", "kernel32", "kernelbase", "msvcrt"}) names.erase(system);

  std::string overrides;
  for (const std::string& name : names) {
    fs::copy_file(fs::path(BuildProgram("standin")).parent_path() / "marker.dll",
                  package.Path(name + ".dll"),
                  fs::copy_options::overwrite_existing);
    overrides += name + "=n,b;";
  }
  prepare();
  RunOptions planted;
  planted.wineEnv = {{"WINEDLLOVERRIDES", overrides}};
  EXPECT_EQ(package.Run(planted).status, 1);
  holder.Wait();
  // The marker is named as the loader asked for the library, in any case.
  for (const auto& entry : fs::directory_iterator(package.Path()))
    EXPECT_NE(entry.path().extension(), ".ran") << entry.path().stem() << " ran in the launcher";

  // And the run did all it did before.
  const std::string log = package.dir().Read("pkg/run.log");
  EXPECT_TRUE(Contains(log, "system deployment: unpacked")) << log;
  EXPECT_TRUE(Contains(log, "profile deployment: unpacked")) << log;
  EXPECT_TRUE(Contains(log, "language swap: language copy")) << log;
  EXPECT_TRUE(Contains(log, "waited for setup and every process started from it")) << log;
  EXPECT_TRUE(Contains(log, "registry: script ") && Contains(log, " installed by ")) << log;
  EXPECT_TRUE(Contains(log, "helper process: ended")) << log;
  EXPECT_TRUE(Contains(log, "start menu: moved")) << log;
  EXPECT_TRUE(Contains(log, "restore: put back")) << log;
  EXPECT_EQ(ReadFile(windows + "/system.txt"), "system");
  EXPECT_TRUE(fs::exists(startTarget / "Program.lnk"));
  EXPECT_NE(RunWineCommand({"reg", "query", "HKCU\\Software\\" + folder, "/v", "planted"})
                .find("0x7"),
            std::string::npos);
  EXPECT_EQ(package.Records().size(), 2u);
  std::error_code error;
  fs::remove_all(windows, error);
  fs::remove_all(startTarget, error);
  RunWineCommand({"reg", "delete", "HKCU\\Software\\" + folder, "/f"});
}
