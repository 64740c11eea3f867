#include "deploy/deployment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "deploy/zip_builder.h"
#include "support/temp_dir.h"

namespace {

// --- Destinations, against recorded actions ---------------------------------

std::vector<std::string> calls;
std::set<std::string> existing;

bool RecordProbe(const std::string& path) {
  calls.push_back("probe " + path);
  return existing.count(path) != 0;
}

bool RecordExtract(const std::string& archivePath, const std::string& destination) {
  calls.push_back("extract " + archivePath + " -> " + destination);
  return true;
}

const DeploymentActions kRecorded = {RecordProbe, RecordExtract};

std::vector<std::string> Profile(const DeploymentEnvironment& env,
                                 std::set<std::string> exists = {}) {
  calls.clear();
  existing = std::move(exists);
  DeployProfileArchiveWith("P.s2k", env, kRecorded);
  return calls;
}

using Calls = std::vector<std::string>;
const char kAllUsers[] = "C:\\Documents and Settings\\All Users";
const char kDefaultUser[] = "extract P.s2k -> C:\\Documents and Settings\\Default User\\Application Data\\";

TEST(ProfileDeployment, AppDataTakesTheArchiveWithoutAnyProbe) {
  EXPECT_EQ(Profile({nullptr, kAllUsers, nullptr, "C:\\Documents and Settings\\Ann\\Application Data"}),
            (Calls{"extract P.s2k -> C:\\Documents and Settings\\Ann\\Application Data\\",
                   kDefaultUser}));
  // A trailing backslash stays: the destination ends in two.
  EXPECT_EQ(Profile({nullptr, kAllUsers, nullptr, "E:\\Roaming\\"}),
            (Calls{"extract P.s2k -> E:\\Roaming\\\\", kDefaultUser}));
}

TEST(ProfileDeployment, WithoutAppDataOwnerComesBeforeAdministrator) {
  const std::string owner = "C:\\Documents and Settings\\Owner";
  const std::string admin = "C:\\Documents and Settings\\Administrator";
  EXPECT_EQ(Profile({nullptr, kAllUsers, nullptr, nullptr}, {owner, admin}),
            (Calls{"probe " + owner, "extract P.s2k -> " + owner + "\\Application Data\\",
                   kDefaultUser}));
  EXPECT_EQ(Profile({nullptr, kAllUsers, nullptr, nullptr}, {admin}),
            (Calls{"probe " + owner, "probe " + admin,
                   "extract P.s2k -> " + admin + "\\Application Data\\", kDefaultUser}));
  EXPECT_EQ(Profile({nullptr, kAllUsers, nullptr, nullptr}),
            (Calls{"probe " + owner, "probe " + admin, kDefaultUser}));
}

TEST(ProfileDeployment, WithoutAllUsersProfileTheRootComesFromTheSystemDrive) {
  EXPECT_EQ(Profile({nullptr, nullptr, "D:", nullptr}),
            (Calls{"probe D:\\Documents and Settings\\\\Owner",
                   "probe D:\\Documents and Settings\\\\Administrator",
                   "extract P.s2k -> D:\\Documents and Settings\\\\Default User\\Application Data\\"}));
  EXPECT_EQ(Profile({nullptr, nullptr, nullptr, "A"}),
            (Calls{"extract P.s2k -> A\\",
                   "extract P.s2k -> C:\\Documents and Settings\\\\Default User\\Application Data\\"}));
}

TEST(ProfileDeployment, AllUsersProfileBelowADriveRootGivesThatRoot) {
  EXPECT_EQ(Profile({nullptr, "C:\\AllProfiles", nullptr, "A"}),
            (Calls{"extract P.s2k -> A\\",
                   "extract P.s2k -> C:\\\\Default User\\Application Data\\"}));
}

TEST(ProfileDeployment, EmptyRelativeOrOverlongValuesNameNoFolder) {
  // Empty values count as unset.
  EXPECT_EQ(Profile({"", "", "", ""}),
            (Calls{"probe C:\\Documents and Settings\\\\Owner",
                   "probe C:\\Documents and Settings\\\\Administrator",
                   "extract P.s2k -> C:\\Documents and Settings\\\\Default User\\Application Data\\"}));
  // A relative value leaves no profiles root: only APPDATA is served.
  EXPECT_EQ(Profile({nullptr, "AllUsers", nullptr, "A"}), (Calls{"extract P.s2k -> A\\"}));
  EXPECT_EQ(Profile({nullptr, "AllUsers", nullptr, nullptr}), Calls{});
  // A root that would not fit a path buffer is not cut.
  const std::string longValue = "C:\\" + std::string(300, 'p') + "\\All Users";
  EXPECT_EQ(Profile({nullptr, longValue.c_str(), nullptr, "A"}), (Calls{"extract P.s2k -> A\\"}));
  const std::string longDrive(250, 'D');
  EXPECT_EQ(Profile({nullptr, nullptr, longDrive.c_str(), nullptr}), Calls{});
}

TEST(SystemDeployment, WindowsDirectoryTakesTheArchiveWhenThereIsOne) {
  calls.clear();
  DeploySystemArchiveWith("S.2k", {"C:\\WINDOWS", nullptr, nullptr, nullptr}, kRecorded);
  EXPECT_EQ(calls, (Calls{"extract S.2k -> C:\\WINDOWS\\"}));
  calls.clear();
  DeploySystemArchiveWith("S.2k", {nullptr, kAllUsers, "C:", "A"}, kRecorded);
  DeploySystemArchiveWith("S.2k", {"", kAllUsers, "C:", "A"}, kRecorded);
  EXPECT_EQ(calls, Calls{});
}

// --- The real thing, from the process environment ---------------------------

// Sets (or with null removes) a variable of this process for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value != nullptr ? value : "");  // "" removes it
#else
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }
  std::string name_;
  std::optional<std::string> old_;
};

TEST(Deployment, SystemArchiveLandsInTheWindowsDirectory) {
  TempDir dir;
  dir.Write("windows/win.ini", "kept");
  dir.Write("Setup.2k", BuildZip({{"system32/drivers/x.sys", "driver"}}).bytes);
  ScopedVariable systemRoot("SystemRoot", dir.WinPath("windows").c_str());
  DeploySystemArchive(dir.WinPath("Setup.2k").c_str());
  EXPECT_EQ(dir.Read("windows/system32/drivers/x.sys"), "driver");
  EXPECT_EQ(dir.Read("windows/win.ini"), "kept");
  // A missing archive writes nothing.
  DeploySystemArchive(dir.WinPath("Setup.xp").c_str());
  EXPECT_FALSE(dir.Exists("windows/Setup.xp"));
}

TEST(Deployment, ProfileArchiveLandsForTheUserAndTheDefaultUser) {
  TempDir dir;
  dir.Write("Setup.s2k", BuildZip({{"Vendor/settings.cfg", "cfg"}}).bytes);
  ScopedVariable allUsers("ALLUSERSPROFILE", dir.WinPath("profiles\\All Users").c_str());
  ScopedVariable appData("APPDATA", dir.WinPath("ann").c_str());
  DeployProfileArchive(dir.WinPath("Setup.s2k").c_str());
  EXPECT_EQ(dir.Read("ann/Vendor/settings.cfg"), "cfg");
  EXPECT_EQ(dir.Read("profiles/Default User/Application Data/Vendor/settings.cfg"), "cfg");
}

}  // namespace
