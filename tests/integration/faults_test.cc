// The world breaks under the launcher: a full or read-only destination, an
// archive cut short or removed mid-run, a setup program that crashes, the
// launcher itself killed. Each case states what must hold afterwards: no
// file is ever left partial at its own name, good files stay good, and the
// steps that do not depend on the broken part still run.
//
// These need host powers (mount namespaces, signals, inotify) and run
// against the native launcher; under Wine they are skipped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "support/zip_builder.h"
#include "integration/launcher_harness.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;

namespace {

#define NATIVE_ONLY()                                                   \
  if (UnderWine()) GTEST_SKIP() << "needs host powers; native only"

// Bytes that do not compress, so that sizes on disk are what they seem.
std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Names below `dir` (recursively) that look like the extraction's
// temporary files.
std::vector<std::string> TemporaryFiles(const std::string& dir) {
  std::vector<std::string> found;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(dir, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() > 4 && name[0] == '~' && name.substr(name.size() - 4) == ".tmp")
      found.push_back(name);
  }
  return found;
}

bool PrivateMountsWork() {
  return geteuid() == 0 && std::system("unshare -m --propagation private true 2>/dev/null") == 0;
}

// Runs `script` in a private mount namespace with sh; its exit status.
int RunPrivately(const std::string& script) {
  const std::string command = "unshare -m --propagation private sh -ec '" + script + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The launcher's command for RunPrivately, with the variables it needs
// (each quoted for sh, which would eat the backslashes).
std::string LauncherCommand(const LauncherPackage& package, const std::string& variables) {
  fs::create_directories(package.dir().Path("mutex"));
  fs::permissions(package.dir().Path("mutex"), fs::perms::owner_all);
  return "env LAUNCHER_MUTEX_DIR=" + package.dir().Path("mutex") + " " + variables + " " +
         package.Path("Setup.exe");
}

// The pid of the running process whose program is `path`, or 0.
pid_t FindProcess(const std::string& path) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ignored;
    if (fs::read_symlink(entry.path() / "exe", ignored).string() == path)
      return static_cast<pid_t>(std::stol(name));
  }
  return 0;
}

// Starts the launcher in the background and stops it (SIGSTOP) as soon as
// it creates a temporary file in `watched`, which must exist. Returns its
// pid (0 when it never got there).
pid_t StartAndStopAtFirstTemporary(const LauncherPackage& package, const RunOptions& options,
                                   const std::string& watched) {
  const int watch = inotify_init1(IN_NONBLOCK);
  inotify_add_watch(watch, watched.c_str(), IN_CREATE);
  RunOptions background = options;
  background.background = true;
  package.Run(background);
  // Found before it writes, so that it is stopped at once when it does.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  pid_t pid = 0;
  while (pid == 0 && std::chrono::steady_clock::now() < deadline)
    pid = FindProcess(package.Path("Setup.exe"));
  alignas(inotify_event) char events[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    const ssize_t length = read(watch, events, sizeof(events));
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->len > 0 && event->name[0] == '~') {
        if (pid != 0) kill(pid, SIGSTOP);
        close(watch);
        return pid;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  close(watch);
  return 0;
}

}  // namespace

// The destination fills up in the middle of a file: that file never
// appears, its temporary file is removed again (giving the space back), and
// the entries after it are still written in full.
TEST(Faults, FullDestinationLosesOnlyTheFileThatDidNotFit) {
  NATIVE_ONLY();
  if (!PrivateMountsWork()) GTEST_SKIP() << "needs root and unshare for a private tmpfs";
  LauncherPackage package;
  const std::string keep = Noise(100 * 1024, 2);
  package.Write("Setup.2k", BuildZip({{"first.txt", "first"},
                                      {"huge.bin", Noise(2 * 1024 * 1024, 1), kTestStamp, false},
                                      {"keep.txt", keep},
                                      {"last.txt", "last"}})
                                .bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n");
  const std::string disk = package.dir().Path("disk");
  const std::string copy = package.dir().Path("after");
  fs::create_directories(disk);
  fs::create_directories(copy);
  const std::string script =
      "mount -t tmpfs -o size=1m tmpfs " + disk + "; printf old > " + disk + "/keep.txt; " +
      LauncherCommand(package, "\"SystemRoot=" + package.dir().WinPath("disk") + "\"") +
      " || echo $? > " + copy + "/status; ls -la " + disk + " > " + copy + "/listing; cp -a " + disk + "/. " + copy + "/";
  ASSERT_EQ(RunPrivately(script), 0);
  EXPECT_EQ(ReadFile(copy + "/status"), "1\n");
  EXPECT_EQ(ReadFile(copy + "/first.txt"), "first");
  EXPECT_FALSE(fs::exists(copy + "/huge.bin"));
  EXPECT_TRUE(ReadFile(copy + "/keep.txt") == keep) << ReadFile(copy + "/listing");
  EXPECT_EQ(ReadFile(copy + "/last.txt"), "last");
  EXPECT_EQ(TemporaryFiles(copy), std::vector<std::string>{});
  EXPECT_EQ(package.Records().size(), 1u);
}

// A read-only destination takes nothing and changes nothing; the next
// destination of the same archive is still served and setup still runs.
TEST(Faults, ReadOnlyDestinationIsLeftAsItWasAndTheNextOneServed) {
  NATIVE_ONLY();
  if (!PrivateMountsWork()) GTEST_SKIP() << "needs root and unshare for a read-only mount";
  LauncherPackage package;
  ScopedProfilesFolder profiles(package.dir().WinPath("profiles"));
  package.Write("Setup.s2k", BuildZip({{"Vendor/app.cfg", "new"}, {"new.txt", "n"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  const std::string user = package.dir().Path("user");
  const std::string copy = package.dir().Path("after");
  fs::create_directories(user);
  fs::create_directories(copy);
  const std::string script =
      "mount -t tmpfs tmpfs " + user + "; mkdir " + user + "/Vendor; printf old > " + user +
      "/Vendor/app.cfg; mount -o remount,ro " + user + "; " +
      LauncherCommand(package, "\"APPDATA=" + package.dir().WinPath("user") + "\"" +
                                   " \"ALLUSERSPROFILE=" + package.dir().WinPath("profiles\\All Users") + "\"") +
      " || echo $? > " + copy + "/status; cp -a " + user + "/. " + copy + "/";
  ASSERT_EQ(RunPrivately(script), 0);
  EXPECT_EQ(ReadFile(copy + "/status"), "1\n");
  EXPECT_EQ(ReadFile(copy + "/Vendor/app.cfg"), "old");
  EXPECT_FALSE(fs::exists(copy + "/new.txt"));
  const std::string defaultUser = package.dir().Path("profiles/Default User/Application Data");
  EXPECT_EQ(ReadFile(defaultUser + "/Vendor/app.cfg"), "new");
  EXPECT_EQ(ReadFile(defaultUser + "/new.txt"), "n");
  EXPECT_EQ(package.Records().size(), 1u);
}

// POSIX has no share modes: a process that holds the old file open goes on
// reading the old bytes, whole, while the name moves to the new data.
TEST(Faults, AFileHeldOpenKeepsItsOldDataForItsReader) {
  NATIVE_ONLY();
  LauncherPackage package;
  const std::string oldData = Noise(300 * 1024, 3);
  const std::string newData = Noise(200 * 1024, 4);
  package.Write("Setup.2k", BuildZip({{"app.dll", newData}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n");
  package.dir().Write("windows/app.dll", oldData);
  std::ifstream holder(package.dir().Path("windows/app.dll"), std::ios::binary);
  RunOptions options;
  options.env = {{"SystemRoot", package.dir().WinPath("windows")}};
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(holder), std::istreambuf_iterator<char>()),
            oldData);
  EXPECT_EQ(package.dir().Read("windows/app.dll"), newData);
  EXPECT_EQ(TemporaryFiles(package.dir().Path("windows")), std::vector<std::string>{});
}

// The archive is cut short while an entry is being written: the file being
// written never replaces the good one, no temporary file stays behind, the
// next destination (which finds no readable archive) gets nothing, and
// setup still runs.
TEST(Faults, ArchiveTruncatedMidEntryReplacesNothing) {
  NATIVE_ONLY();
  LauncherPackage package;
  const BuiltZip archive = BuildZip({{"big.bin", Noise(24 * 1024 * 1024, 5), kTestStamp, false},
                                     {"after.txt", "after"}});
  package.Write("Setup.s2k", archive.bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  package.dir().Write("user/big.bin", "good old file");
  RunOptions options;
  options.env = {{"APPDATA", package.dir().WinPath("user")},
                 {"ALLUSERSPROFILE", package.dir().WinPath("profiles\\All Users")}};
  const pid_t pid = StartAndStopAtFirstTemporary(package, options, package.dir().Path("user"));
  ASSERT_NE(pid, 0);
  // Stopped with the entry's temporary file just made: cut the archive a
  // few megabytes into that entry's data.
  fs::resize_file(package.Path("Setup.s2k"), 4 * 1024 * 1024);
  kill(pid, SIGCONT);
  EXPECT_EQ(package.Wait().status, 1);
  EXPECT_EQ(package.dir().Read("user/big.bin"), "good old file");
  EXPECT_FALSE(fs::exists(package.dir().Path("user/after.txt")));
  EXPECT_EQ(TemporaryFiles(package.dir().Path("user")), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(package.dir().Path("profiles/Default User/Application Data/big.bin")));
  EXPECT_EQ(package.Records().size(), 1u);
}

// The archive is removed mid-run: what is open is read to its end, so the
// first destination gets everything; the second finds no archive.
TEST(Faults, ArchiveRemovedMidRunFinishesWhatIsOpen) {
  NATIVE_ONLY();
  LauncherPackage package;
  const std::string big = Noise(8 * 1024 * 1024, 6);
  package.Write("Setup.s2k", BuildZip({{"big.bin", big, kTestStamp, false}, {"after.txt", "after"}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  fs::create_directories(package.dir().Path("user"));
  RunOptions options;
  options.env = {{"APPDATA", package.dir().WinPath("user")},
                 {"ALLUSERSPROFILE", package.dir().WinPath("profiles\\All Users")}};
  const pid_t pid = StartAndStopAtFirstTemporary(package, options, package.dir().Path("user"));
  ASSERT_NE(pid, 0);
  fs::remove(package.Path("Setup.s2k"));
  kill(pid, SIGCONT);
  EXPECT_EQ(package.Wait().status, 1);
  EXPECT_TRUE(package.dir().Read("user/big.bin") == big);
  EXPECT_EQ(package.dir().Read("user/after.txt"), "after");
  EXPECT_FALSE(fs::exists(package.dir().Path("profiles/Default User/Application Data")));
  EXPECT_EQ(package.Records().size(), 1u);
}

// The launcher killed outright while it writes: the target keeps its old
// bytes; at most a temporary file is left beside it.
TEST(Faults, LauncherKilledMidFileLeavesTheTargetWhole) {
  NATIVE_ONLY();
  LauncherPackage package;
  package.Write("Setup.2k", BuildZip({{"big.bin", Noise(16 * 1024 * 1024, 7), kTestStamp, false}}).bytes);
  package.WriteIni("[BEFORE]\nCOPYFROMZIP=1\n");
  package.dir().Write("windows/big.bin", "good old file");
  RunOptions options;
  options.env = {{"SystemRoot", package.dir().WinPath("windows")}};
  const pid_t pid = StartAndStopAtFirstTemporary(package, options, package.dir().Path("windows"));
  ASSERT_NE(pid, 0);
  kill(pid, SIGKILL);
  EXPECT_EQ(package.Wait().status, 128 + SIGKILL);
  EXPECT_EQ(package.dir().Read("windows/big.bin"), "good old file");
  EXPECT_LE(TemporaryFiles(package.dir().Path("windows")).size(), 1u);
  EXPECT_EQ(package.Records().size(), 0u);
}

// Killed at random moments while it writes thousands of small files, the
// launcher is run again at once: every file lands with its content, and the
// complete run leaves no temporary behind, neither its own nor the killed
// run's.
TEST(Faults, KilledExtractionCostsTheRerunNothing) {
  std::vector<ZipEntrySpec> entries;
  for (int folder = 0; folder < 60; ++folder)
    for (int file = 0; file < 100; ++file)
      entries.emplace_back("d" + std::to_string(folder) + "/f" + std::to_string(file) + ".txt",
                           "file " + std::to_string(folder * 100 + file) + "\n");
  LauncherPackage package;
  // Wine shows the memory file system's mount point as a link owned by the
  // prefix's account, which only XP takes for an administrator's.
  ScopedWineVersion windowsXp("Setup.exe", "winxp");
  package.Write("Setup.s2k", BuildZip(entries).bytes);
  package.Write("Setup.sxp", BuildZip(entries).bytes);
  package.WriteIni("[BEFORE]\nCOPYSETFROMZIP=1\n");
  // In memory where the host has it: what is tested is the names, and every
  // flush to a shared disk would only make the test slow.
  const std::string root =
      fs::is_directory("/dev/shm") ? "/dev/shm/launcher-killed-" + std::to_string(getpid())
                                   : package.dir().Path("killed");
  struct Remove {
    std::string path;
    ~Remove() { fs::remove_all(path); }
  } removeAfter{root};
  ScopedProfilesFolder profiles(DrivePathFromNative(root + "/profiles"));
  // The user's folder, then the default user's.
  const std::vector<std::string> destinations = {
      root + "/user", root + "/profiles/Default User/Application Data"};
  RunOptions options;
  options.env = {{"APPDATA", DrivePathFromNative(root + "/user")},
                 {"ALLUSERSPROFILE", DrivePathFromNative(root + "/profiles/All Users")}};
  std::mt19937 random(22);
  // How long after the first folder appears the kill may come: most of an
  // extraction's length on each runner.
  std::uniform_int_distribution<int> delayMs(0, UnderWine() ? 2500 : 300);
  size_t leftBehind = 0;
  for (int round = 0; round < (UnderWine() ? 2 : 8); ++round) {
    fs::remove_all(root);
    RunOptions background = options;
    background.background = true;
    package.Run(background);
    long long pid = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((pid == 0 || !fs::exists(destinations[0])) &&
           std::chrono::steady_clock::now() < deadline) {
      if (pid == 0) pid = FindPackageProcess(package, "Setup.exe");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    kill(static_cast<pid_t>(pid), SIGKILL);
    package.Wait();
    leftBehind += TemporaryFiles(root).size();

    EXPECT_EQ(package.Run(options).status, 1);
    for (const std::string& destination : destinations) {
      for (const ZipEntrySpec& entry : entries) {
        std::ifstream in(destination + "/" + entry.name, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        ASSERT_EQ(data, entry.data) << "round " << round << ": " << destination << "/"
                                    << entry.name;
      }
    }
    EXPECT_EQ(TemporaryFiles(root), std::vector<std::string>{}) << "round " << round;
  }
  // Natively a killed run leaves its group of up to 64 behind: the reruns
  // had something to clear.
  if (!UnderWine()) {
    EXPECT_GT(leftBehind, 0u);
  }
}

// Setup dies of a signal: the steps after it (the registry script, the
// restore of the language swap) still run, and the launcher ends with 1.
TEST(Faults, SetupKilledBySignalStillGetsTheFollowUpSteps) {
  NATIVE_ONLY();
  LauncherPackage package;
  package.RemoveStandin();
  package.Write("Quorle.exe", "#!/bin/sh\nkill -SEGV $$\n");
  fs::permissions(package.Path("Quorle.exe"), fs::perms::owner_all, fs::perm_options::add);
  package.Write("Velquist.ini", "own");
  package.Write("Velquist.0411", "ja");
  fs::create_directories(package.Path("c/windows/System32"));
  fs::create_directories(package.Path("temp"));
  package.InstallStandin("c/windows/System32/rundll32.exe");
  package.WriteIni(
      "[PARAMS]\nINILANG=1\nINILANG1=1041\nADDREG=1\nADDREG1_ROOT=HKCU\n"
      "ADDREG1_SUBKEY=Software\\X\nADDREG1_ENTRYNAME=v\nADDREG1_FLAGS=0\nADDREG1_VALUE=1\n");
  RunOptions options;
  options.env = {{"LC_ALL", "ja_JP.UTF-8"},
                 {"TEMP", package.Path("temp")},
                 {"LAUNCHER_DRIVE_C", package.Path("c")}};
  EXPECT_EQ(package.Run(options).status, 1);
  EXPECT_EQ(package.Records("c/windows/System32/rundll32.exe").size(), 1u);
  EXPECT_TRUE(fs::is_empty(package.Path("temp")));
  EXPECT_EQ(package.dir().Read("pkg/Velquist.ini"), "own");
  EXPECT_FALSE(fs::exists(package.Path("Velquist.bak")));
}
