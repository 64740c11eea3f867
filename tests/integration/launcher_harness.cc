#include "integration/launcher_harness.h"

#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/text.h"
#include "support/hex.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The loader for the build under test: Debian's x86-64 loader runs no
// 32-bit program (and says nothing about it), so the i686 build runs under
// the 32-bit one, in a prefix of its own.
const char* WineLoader() {
  return CurrentRunner() == Runner::kWine32 ? "/usr/lib/wine/wine" : "/usr/lib/wine/wine64";
}

// No Wine run may hang the suite: a killed run can leave the prefix's
// server stuck, and every later run on the prefix would wait for it.
constexpr std::chrono::seconds kWineRunLimit{120};

std::string RequiredEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    throw std::runtime_error(std::string("environment variable not set: ") + name);
  return value;
}

// The current environment with `changes` applied.
std::vector<std::string> ChangedEnvironment(const EnvChanges& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const auto& change : changes) replaced |= change.first == name;
    if (!replaced) entries.push_back(text);
  }
  // A later change of the same variable wins.
  for (size_t i = 0; i < changes.size(); ++i) {
    bool overridden = false;
    for (size_t j = i + 1; j < changes.size(); ++j) overridden |= changes[j].first == changes[i].first;
    if (!overridden && changes[i].second)
      entries.push_back(changes[i].first + "=" + *changes[i].second);
  }
  return entries;
}

long long Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::string& cwd, const std::string& outputFile = "",
                const std::string& errorFile = "") {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  if (!outputFile.empty())
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!errorFile.empty())
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid;
  int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

int WaitPid(long long pid) {
  int status = 0;
  while (waitpid(static_cast<pid_t>(pid), &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> WineEnvironment(const EnvChanges& extra = {});

// Waits for a Wine process; past the limit kills it and ends the prefix's
// server, and the test fails.
int WaitWine(long long pid) {
  const auto deadline = std::chrono::steady_clock::now() + kWineRunLimit;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (done == static_cast<pid_t>(pid)) break;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(static_cast<pid_t>(pid), SIGKILL);
      WaitPid(pid);
      WaitPid(Spawn({"/usr/lib/wine/wineserver", "-k"}, WineEnvironment(), ""));
      ADD_FAILURE() << "a Wine run took longer than " << kWineRunLimit.count()
                    << " s: killed, and the prefix's server ended";
      return 124;
    }
    usleep(10 * 1000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> WineEnvironment(const EnvChanges& extra) {
  EnvChanges changes = {{"WINEPREFIX", WinePrefix()}, {"WINEDEBUG", std::string("-all")}};
  changes.insert(changes.end(), extra.begin(), extra.end());
  return ChangedEnvironment(changes);
}

}  // namespace

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

ScopedWineVersion::ScopedWineVersion(const std::string& programName, const std::string& version) {
  if (!UnderWine()) return;
  key_ = "HKCU\\Software\\Wine\\AppDefaults\\" + programName;
  RunWineCommand({"reg", "add", key_, "/v", "Version", "/d", version, "/f"});
}

ScopedWineVersion::~ScopedWineVersion() {
  if (!key_.empty()) RunWineCommand({"reg", "delete", key_, "/f"});
}

namespace {
const char kProfileListKey[] = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
}  // namespace

ScopedProfilesFolder::ScopedProfilesFolder(const std::string& winPath) {
  if (!UnderWine()) {
    native_.emplace("LAUNCHER_PROFILES_DIRECTORY", winPath.c_str());
    return;
  }
  const std::string old = RunWineCommand({"reg", "query", kProfileListKey, "/v", "ProfilesDirectory"});
  const std::string type = "REG_EXPAND_SZ";
  const std::string::size_type at = old.find(type);
  if (at != std::string::npos) {
    oldWineValue_ = old.substr(old.find_first_not_of(' ', at + type.size()));
    oldWineValue_ = oldWineValue_.substr(0, oldWineValue_.find_first_of("\r\n"));
  }
  RunWineCommand({"reg", "add", kProfileListKey, "/v", "ProfilesDirectory", "/t", "REG_EXPAND_SZ",
                  "/d", winPath, "/f"});
}

ScopedProfilesFolder::~ScopedProfilesFolder() {
  if (!UnderWine()) return;
  RunWineCommand({"reg", "add", kProfileListKey, "/v", "ProfilesDirectory", "/t", "REG_EXPAND_SZ",
                  "/d", oldWineValue_.empty() ? "%SystemDrive%\\users" : oldWineValue_, "/f"});
}

Runner CurrentRunner() {
  const char* runner = std::getenv("LAUNCHER_TEST_RUNNER");
  if (runner != nullptr && std::strcmp(runner, "wine") == 0) return Runner::kWine;
  if (runner != nullptr && std::strcmp(runner, "wine32") == 0) return Runner::kWine32;
  return Runner::kNative;
}

bool UnderWine() { return CurrentRunner() != Runner::kNative; }

std::string BuildProgram(const std::string& name) {
  fs::path dir = RequiredEnv("LAUNCHER_TEST_BIN_DIR");
  std::string file = name + (UnderWine() ? ".exe" : "");
  if (name == "launcher" || name == "profile-get") return (dir / file).string();
  return (dir / "test-bin" / file).string();
}

std::string WineAnsi(const std::string& utf8) {
  if (!UnderWine()) return utf8;
  iconv_t converter = iconv_open("CP1252", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return utf8;
  std::string ansi(utf8.size(), '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* out = &ansi[0];
  size_t outLeft = ansi.size();
  const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!converted) return utf8;
  ansi.resize(ansi.size() - outLeft);
  return ansi;
}

std::string WinePrefix() { return UnderWine() ? RequiredEnv("WINEPREFIX") : std::string(); }

std::string RunWineCommand(const std::vector<std::string>& arguments, int* status,
                           const EnvChanges& env) {
  if (!UnderWine()) return "";
  TempDir scratch;
  std::vector<std::string> argv = {WineLoader()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  int code = WaitWine(Spawn(argv, WineEnvironment(env), "", scratch.Path("out")));
  if (status != nullptr) *status = code;
  return scratch.Read("out");
}

std::string RunHostCommand(const std::vector<std::string>& argv, const EnvChanges& env) {
  TempDir scratch;
  WaitPid(Spawn(argv, ChangedEnvironment(env), "", scratch.Path("out")));
  return scratch.Read("out");
}

LauncherPackage::LauncherPackage(const std::string& launcherName, const std::string& subdirectory)
    : subdirectory_(subdirectory), launcherName_(launcherName) {
  fs::create_directories(Path());
  fs::copy_file(BuildProgram("launcher"), Path(launcherName_));
  InstallStandin("Quorle.exe");
}

std::string LauncherPackage::Path(const std::string& relative) const {
  return dir_.Path(relative.empty() ? subdirectory_ : subdirectory_ + "/" + relative);
}

std::string LauncherPackage::WinPath(const std::string& relative) const {
  return dir_.WinPath(relative.empty() ? subdirectory_ : subdirectory_ + "/" + relative);
}

void LauncherPackage::Write(const std::string& relative, const std::string& contents) const {
  dir_.Write(subdirectory_ + "/" + relative, contents);
}

void LauncherPackage::WriteIni(const std::string& text) const {
  std::string stem = launcherName_.substr(0, launcherName_.rfind('.'));
  Write(stem + ".ini", text);
}

void LauncherPackage::InstallStandin(const std::string& name) const {
  fs::create_directories(fs::path(Path(name)).parent_path());
  fs::copy_file(BuildProgram("standin"), Path(name), fs::copy_options::overwrite_existing);
  fs::permissions(Path(name), fs::perms::owner_all, fs::perm_options::add);
}

void LauncherPackage::RemoveStandin(const std::string& name) const { fs::remove(Path(name)); }

LaunchResult LauncherPackage::Run(const std::string& tail) const {
  RunOptions options;
  options.tail = tail;
  return Run(options);
}

LaunchResult LauncherPackage::Run(const RunOptions& options) const {
  std::string cwd = options.cwd.empty() ? Path() : options.cwd;
  long long pid;
  LaunchResult result;
  result.startMs = NowMs();
  if (UnderWine()) {
    std::string line = "\"" + WineAnsi(WinPath(launcherName_)) + "\"";
    if (!options.tail.empty()) line += " " + options.tail;
    std::ostringstream request;
    for (const auto& change : options.env) {
      if (change.second)
        request << "set " << change.first << "=" << *change.second << "\n";
      else
        request << "unset " << change.first << "\n";
    }
    request << "cmd " << HexEncode(line) << "\n";
    std::string requestFile = dir_.Path("request-" + std::to_string(NowMs()) + ".txt");
    std::ofstream(requestFile, std::ios::binary) << request.str();
    pid = Spawn({WineLoader(), BuildProgram("spawn-driver"), requestFile},
                WineEnvironment(options.wineEnv), cwd, "", options.stderrFile);
  } else {
    std::vector<std::string> argv = {Path(launcherName_)};
    for (const std::string& argument : SplitArguments(options.tail.c_str()))
      argv.push_back(argument);
    // A private mutex namespace keeps concurrent test runs apart.
    EnvChanges env = {{"LAUNCHER_MUTEX_DIR", dir_.Path("mutex")}};
    env.insert(env.end(), options.env.begin(), options.env.end());
    fs::create_directories(dir_.Path("mutex"));
    // The launcher trusts only a lock directory nobody else can write to.
    fs::permissions(dir_.Path("mutex"), fs::perms::owner_all);
    pid = Spawn(argv, ChangedEnvironment(env), cwd);
  }
  if (options.background) {
    backgroundPid_ = pid;
    backgroundStartMs_ = result.startMs;
    return result;
  }
  result.status = UnderWine() ? WaitWine(pid) : WaitPid(pid);
  result.endMs = NowMs();
  return result;
}

LaunchResult LauncherPackage::Wait() const {
  LaunchResult result;
  result.startMs = backgroundStartMs_;
  result.status = UnderWine() ? WaitWine(backgroundPid_) : WaitPid(backgroundPid_);
  result.endMs = NowMs();
  backgroundPid_ = 0;
  return result;
}

std::vector<StandinRecord> LauncherPackage::Records(const std::string& name) const {
  std::vector<StandinRecord> records;
  std::ifstream in(Path(name + ".record"), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string::size_type space = line.find(' ');
    std::string field = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (field == "start") {
      records.emplace_back();
      records.back().startMs = std::stoll(value);
    } else if (records.empty()) {
      continue;
    } else if (field == "cwd") {
      records.back().cwd = value;
    } else if (field == "cmdline") {
      records.back().commandLine = HexDecode(value);
    } else if (field == "argv0") {
      records.back().argv0 = HexDecode(value);
    } else if (field == "arg") {
      records.back().arguments.push_back(HexDecode(value));
    } else if (field == "copy") {
      if (value != "missing") records.back().copy = HexDecode(value);
    } else if (field == "dirmode") {
      records.back().directoryMode = static_cast<unsigned>(std::stoul(value, nullptr, 8));
    } else if (field == "end") {
      records.back().endMs = std::stoll(value);
    }
  }
  return records;
}

std::vector<std::string> LauncherPackage::Copies(const std::string& name) const {
  std::vector<std::string> copies;
  for (const StandinRecord& record : Records(name)) {
    if (record.copy) copies.push_back(*record.copy);
  }
  return copies;
}


long long FindPackageProcess(const LauncherPackage& package, const std::string& name) {
  const std::string host = package.Path(name);
  const std::string windows = package.WinPath(name);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ignored;
    if (!UnderWine()) {
      if (fs::read_symlink(entry.path() / "exe", ignored).string() == host) return std::stoll(pid);
      continue;
    }
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string first;
    std::getline(in, first, '\0');
    if (first.size() >= 2 && first.front() == '"') first = first.substr(1, first.size() - 2);
    if (first == windows) return std::stoll(pid);
  }
  return 0;
}
