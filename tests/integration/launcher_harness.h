// End-to-end runs of the built launcher in a scratch package directory,
// natively or under Wine. The same tests run with each: ctest starts the
// test program once per runner (LAUNCHER_TEST_RUNNER=native|wine|wine32:
// wine drives the x86-64 build, wine32 the i686 build in a 32-bit prefix),
// with LAUNCHER_TEST_BIN_DIR naming the build whose programs are used.
// Every Wine run has a time limit.
#ifndef LAUNCHER_TESTS_INTEGRATION_LAUNCHER_HARNESS_H
#define LAUNCHER_TESTS_INTEGRATION_LAUNCHER_HARNESS_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

enum class Runner { kNative, kWine, kWine32 };
Runner CurrentRunner();
bool UnderWine();

// A program of the build under test: "launcher", "profile-get", or one of
// the test programs ("standin", "spawn-driver"); ".exe" added under Wine.
std::string BuildProgram(const std::string& name);

// A host path's bytes as a Windows program under Wine sees them: in the
// tests' Western locale Wine's ANSI code page is 1252. Natively, and for
// text that page lacks, the bytes stay as they are.
std::string WineAnsi(const std::string& utf8);

// The Wine prefix the tests run in (empty natively).
std::string WinePrefix();

// Environment changes for the launcher's process: a value sets a variable,
// nullopt removes it. Under Wine they are made inside Windows, since Wine
// ignores host values of TEMP, APPDATA, ALLUSERSPROFILE and others.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Runs a Windows program of the prefix (e.g. {"reg", "query", "HKCU\\X"})
// under Wine and returns what it printed; natively returns "". `env` changes
// Wine's own environment (LC_ALL picks its code page).
std::string RunWineCommand(const std::vector<std::string>& arguments, int* status = nullptr,
                           const EnvChanges& env = {});

// Runs a host program and returns what it printed.
std::string RunHostCommand(const std::vector<std::string>& argv, const EnvChanges& env = {});

struct StandinRecord {
  long long startMs = 0;
  long long endMs = 0;
  std::string cwd;
  std::optional<std::string> commandLine;  // Windows only: the raw line
  std::string argv0;                        // as the program's runtime split it
  std::vector<std::string> arguments;
  // The file STANDIN_COPY(_<NAME>) named, as the stand-in found it.
  std::optional<std::string> copy;
  std::optional<unsigned> directoryMode;  // POSIX: of the copied file's folder
};

struct RunOptions {
  std::string tail;       // the exact command-line tail
  EnvChanges env;
  std::string cwd;        // host directory to start in; default: the package
  bool background = false;
  // Under Wine: changes to Wine's own environment (WINEDEBUG,
  // WINEDLLOVERRIDES), and a host file that gets what Wine writes to stderr.
  EnvChanges wineEnv;
  std::string stderrFile;
};

struct LaunchResult {
  int status = -1;       // the launcher's exit status
  long long startMs = 0;
  long long endMs = 0;
};

// A package directory: the launcher as `launcherName`, the stand-in setup
// program as Quorle.exe, and whatever the test writes beside them.
class LauncherPackage {
 public:
  explicit LauncherPackage(const std::string& launcherName = "Setup.exe",
                           const std::string& subdirectory = "pkg");

  const TempDir& dir() const { return dir_; }
  // Host path and the launcher's view of a file in the package directory.
  std::string Path(const std::string& relative = "") const;
  std::string WinPath(const std::string& relative = "") const;

  void WriteIni(const std::string& text) const;
  void Write(const std::string& relative, const std::string& contents) const;
  // Puts another copy of the stand-in into the package under `name`.
  void InstallStandin(const std::string& name) const;
  void RemoveStandin(const std::string& name = "Quorle.exe") const;

  LaunchResult Run(const RunOptions& options = {}) const;
  LaunchResult Run(const std::string& tail) const;
  // For a run started with `background`: waits for it.
  LaunchResult Wait() const;

  std::vector<StandinRecord> Records(const std::string& name = "Quorle.exe") const;
  // The files the stand-in `name` recorded (STANDIN_COPY), one per run.
  std::vector<std::string> Copies(const std::string& name = "Quorle.exe") const;

 private:
  TempDir dir_;
  std::string subdirectory_;
  std::string launcherName_;
  mutable long long backgroundPid_ = 0;
  mutable long long backgroundStartMs_ = 0;
};

long long NowMs();

// Under Wine: the Windows version Wine reports to programs of that file name
// ("winxp", "win2k", ...) while it lives; natively nothing.
class ScopedWineVersion {
 public:
  ScopedWineVersion(const std::string& programName, const std::string& version);
  ~ScopedWineVersion();
  ScopedWineVersion(const ScopedWineVersion&) = delete;
  ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

 private:
  std::string key_;
};

// The folder the system keeps its user profiles in, as the launcher asks
// for it (natively LAUNCHER_PROFILES_DIRECTORY, under Wine the prefix's
// ProfilesDirectory), while it lives: only there does the default user's
// fixed folder below it count as a profile.
class ScopedProfilesFolder {
 public:
  explicit ScopedProfilesFolder(const std::string& winPath);
  ~ScopedProfilesFolder();
  ScopedProfilesFolder(const ScopedProfilesFolder&) = delete;
  ScopedProfilesFolder& operator=(const ScopedProfilesFolder&) = delete;

 private:
  std::optional<ScopedEnv> native_;
  std::string oldWineValue_;
};

// The host pid of the running program `name` of the package (natively by
// its executable, under Wine by the Windows path its command line starts
// with); 0 when none runs.
long long FindPackageProcess(const LauncherPackage& package, const std::string& name);

// Sets the host locale for the launcher's runs (Wine takes its system
// language from it) and puts the previous one back.
struct ScopedLocale : ScopedEnv {
  explicit ScopedLocale(const char* name) : ScopedEnv("LC_ALL", name) {}
};

#endif
