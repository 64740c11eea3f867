// Where the deployments send the archives, and what they probe, for the
// environments of typical systems; the file system is replaced by a record.
#include "deploy/deployment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// The file system as a record of the calls, with the paths that exist.
struct Recorder {
  Calls calls;
  std::set<std::string> existing;
};

bool RecordProbe(void* context, const std::string& path) {
  auto* recorder = static_cast<Recorder*>(context);
  recorder->calls.push_back("probe " + path);
  return recorder->existing.count(path) != 0;
}

ExtractionOutcome RecordExtract(void* context, const std::string& archivePath,
                                const std::string& destination, LinkPolicy) {
  static_cast<Recorder*>(context)->calls.push_back("extract " + archivePath + " -> " + destination);
  return ExtractionOutcome();
}

// `env` on a system whose profiles live in `profiles` and that names no
// default user's folder itself (Windows XP and 2000 without shell32 5.0).
Calls Profile(DeploymentEnvironment env, std::set<std::string> exists = {},
              const char* profiles = "C:\\Documents and Settings") {
  env.profilesFolder = profiles;
  Recorder recorder{{}, std::move(exists)};
  DeployProfileArchiveWith("P.s2k", env, {&recorder, RecordProbe, RecordExtract});
  return recorder.calls;
}

Calls System(const DeploymentEnvironment& env) {
  Recorder recorder;
  DeploySystemArchiveWith("S.2k", env, {&recorder, RecordProbe, RecordExtract});
  return recorder.calls;
}

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
  EXPECT_EQ(Profile({nullptr, nullptr, "D:", nullptr}, {}, "D:\\Documents and Settings"),
            (Calls{"probe D:\\Documents and Settings\\\\Owner",
                   "probe D:\\Documents and Settings\\\\Administrator",
                   "extract P.s2k -> D:\\Documents and Settings\\\\Default User\\Application Data\\"}));
  EXPECT_EQ(Profile({nullptr, nullptr, nullptr, "A"}),
            (Calls{"extract P.s2k -> A\\",
                   "extract P.s2k -> C:\\Documents and Settings\\\\Default User\\Application Data\\"}));
}

TEST(ProfileDeployment, DefaultUserFolderIsTheOneTheSystemNames) {
  DeploymentEnvironment env = {nullptr, kAllUsers, nullptr, "C:\\Documents and Settings\\Ann\\AD"};
  env.defaultUserAppData = "C:\\Dokumente und Einstellungen\\Default User\\Anwendungsdaten";
  EXPECT_EQ(Profile(env), (Calls{"extract P.s2k -> C:\\Documents and Settings\\Ann\\AD\\",
                                 "extract P.s2k -> C:\\Dokumente und Einstellungen\\Default "
                                 "User\\Anwendungsdaten\\"}));
  // Never the current user's folder twice, nor a drive's root.
  env.defaultUserAppData = "c:\\documents and settings\\ann\\ad\\";
  EXPECT_EQ(Profile(env), (Calls{"extract P.s2k -> C:\\Documents and Settings\\Ann\\AD\\"}));
  env.defaultUserAppData = "C:\\";
  const DeploymentPlan plan = PlanProfileDeployment("P.s2k", env, {});
  EXPECT_EQ(plan.destinations, (std::vector<std::string>{"C:\\Documents and Settings\\Ann\\AD\\"}));
  EXPECT_EQ(plan.leftOut, "the default user's folder: C:\\ is no profile's folder");
}

// Where "All Users" is no profile (C:\ProgramData), or the system keeps no
// profiles at all, the fixed name would make a folder nobody uses.
TEST(ProfileDeployment, DefaultUserIsLeftOutWhereTheRootHoldsNoProfiles) {
  DeploymentEnvironment env = {nullptr, "C:\\ProgramData", nullptr, "A"};
  env.profilesFolder = "C:\\Users";
  const DeploymentPlan plan = PlanProfileDeployment("P.s2k", env, {});
  EXPECT_EQ(plan.destinations, (std::vector<std::string>{"A\\"}));
  EXPECT_EQ(plan.leftOut,
            "the default user's folder: the system names none, and C:\\ is not where it keeps "
            "its profiles");
  EXPECT_EQ(Profile({nullptr, nullptr, nullptr, "A"}, {}, nullptr), (Calls{"extract P.s2k -> A\\"}));
  // Not even a system that says its profiles are at a drive's root.
  EXPECT_EQ(Profile({nullptr, "C:\\AllProfiles", nullptr, "A"}, {}, "C:\\"),
            (Calls{"extract P.s2k -> A\\"}));
  // Nothing else known: there is no destination at all.
  const DeploymentPlan none = PlanProfileDeployment("P.s2k", {nullptr, nullptr, nullptr, nullptr},
                                                    {nullptr, [](void*, const std::string&) {
                                                       return false;
                                                     }, nullptr});
  EXPECT_TRUE(none.destinations.empty());
  EXPECT_STREQ(none.noDestination,
               "no profile folder is known (APPDATA), and the default user's is left out");
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
  EXPECT_EQ(System({"C:\\WINDOWS", nullptr, nullptr, nullptr}),
            (Calls{"extract S.2k -> C:\\WINDOWS\\"}));
  EXPECT_EQ(System({nullptr, kAllUsers, "C:", "A"}), Calls{});
  EXPECT_EQ(System({"", kAllUsers, "C:", "A"}), Calls{});
  EXPECT_STREQ(PlanSystemDeployment("S.2k", {"", kAllUsers, "C:", "A"}).noDestination,
               "SystemRoot is not set");
}

}  // namespace
