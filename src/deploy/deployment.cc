#include "deploy/deployment.h"

#include "core/fixed_names.h"
#include "core/path_buffer.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace {

const char* ValueOrNull(const char* value) {
  return (value != nullptr && *value != '\0') ? value : nullptr;
}

// The folder that holds the user profiles, with or without a trailing
// backslash (see below); false when there is none to use.
bool BuildProfilesRoot(const DeploymentEnvironment& env, char (&root)[kPathBufferSize]) {
  if (const char* allUsers = ValueOrNull(env.allUsersProfile)) {
    // The all-users profile's parent, without a trailing backslash unless
    // it is a drive's root.
    if (!CopyWhole(root, sizeof(root), allUsers)) return false;
    RemoveFileSpec(root);
  } else {
    const char* drive = ValueOrNull(env.systemDrive);
    std::string text = drive != nullptr ? drive : "C:";
    // Ends with a backslash, so the paths built on it below hold a doubled
    // one, which the file system reads as one.
    text += kProfilesFolder;
    if (!CopyWhole(root, sizeof(root), text.c_str())) return false;
  }
  // A relative value leaves nothing: the root of whatever drive is current
  // is no profiles folder.
  return root[0] != '\0';
}

// A destination below a drive's or a share's root, never the root itself.
bool IsBelowARoot(const std::string& folder) {
  const size_t length = folder.find_last_not_of('\\') + 1;
  if (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') return length > 3;
  if (folder.compare(0, 2, "\\\\") == 0) {
    // \\server\share\folder: two components before the one that counts.
    const size_t share = folder.find('\\', 2);
    const size_t below = share == std::string::npos ? share : folder.find('\\', share + 1);
    return below != std::string::npos && below + 1 < length;
  }
  return false;
}

bool ExistsAt(void*, const std::string& path) { return PathExists(path); }

ExtractionOutcome ExtractAt(void*, const std::string& archivePath, const std::string& destination,
                            LinkPolicy links) {
  return ExtractZipArchive(archivePath, destination, links);
}

}  // namespace

const DeploymentActions kDeploymentActions = {nullptr, ExistsAt, ExtractAt};

DeploymentEnvironment ReadDeploymentEnvironment() {
  // Asked once per run; the answers live as long as the process.
  static char defaultUserAppData[kPathBufferSize];
  static char profilesFolder[kPathBufferSize];
  DeploymentEnvironment env;
  env.defaultUserAppData = GetDefaultUserAppDataFolder(defaultUserAppData,
                                                       sizeof(defaultUserAppData))
                               ? defaultUserAppData
                               : nullptr;
  env.profilesFolder =
      GetProfilesFolder(profilesFolder, sizeof(profilesFolder)) ? profilesFolder : nullptr;
  env.systemRoot = ValueOrNull(GetEnvironmentValue("SystemRoot"));
  env.allUsersProfile = ValueOrNull(GetEnvironmentValue("ALLUSERSPROFILE"));
  env.systemDrive = ValueOrNull(GetEnvironmentValue("SystemDrive"));
  env.appData = ValueOrNull(GetEnvironmentValue("APPDATA"));
  return env;
}

DeploymentPlan PlanSystemDeployment(const char* systemArchivePath,
                                    const DeploymentEnvironment& env) {
  DeploymentPlan plan;
  plan.archivePath = systemArchivePath;
  // Without a Windows directory there is nowhere to deploy to.
  if (const char* systemRoot = ValueOrNull(env.systemRoot))
    plan.destinations.push_back(std::string(systemRoot) + "\\");
  else
    plan.noDestination = "SystemRoot is not set";
  return plan;
}

DeploymentPlan PlanProfileDeployment(const char* profileArchivePath,
                                     const DeploymentEnvironment& env,
                                     const DeploymentActions& actions) {
  DeploymentPlan plan;
  plan.kind = DeploymentKind::kProfile;
  plan.links = LinkPolicy::kRefused;
  plan.archivePath = profileArchivePath;
  char root[kPathBufferSize];
  const bool haveRoot = BuildProfilesRoot(env, root);
  const std::string base = haveRoot ? std::string(root) + "\\" : std::string();
  const std::string appDataBelow = std::string("\\") + kApplicationDataFolder + "\\";

  if (const char* appData = ValueOrNull(env.appData)) {
    plan.destinations.push_back(std::string(appData) + "\\");
  } else if (haveRoot) {
    for (const char* user : {kOwnerProfile, kAdministratorProfile}) {
      if (actions.pathExists(actions.context, base + user)) {
        plan.destinations.push_back(base + user + appDataBelow);
        break;
      }
    }
  }
  const std::string userDestination = plan.destinations.empty() ? "" : plan.destinations.front();
  if (const char* named = ValueOrNull(env.defaultUserAppData)) {
    const std::string destination = std::string(named) + "\\";
    if (!IsBelowARoot(destination))
      plan.leftOut = std::string("the default user's folder: ") + named + " is no profile's folder";
    else if (SameFolderText(destination.c_str(), userDestination.c_str()))
      plan.leftOut = "the default user's folder: the system names the current user's for it";
    else
      plan.destinations.push_back(destination);
  } else if (haveRoot && ValueOrNull(env.profilesFolder) != nullptr &&
             SameFolderText(root, env.profilesFolder) && IsBelowARoot(root)) {
    // The fixed name is right only where the system keeps its profiles.
    plan.destinations.push_back(base + kDefaultUserProfile + appDataBelow);
  } else {
    plan.leftOut = "the default user's folder: the system names none";
    if (haveRoot)
      plan.leftOut += std::string(", and ") + root + " is not where it keeps its profiles";
  }
  if (plan.destinations.empty())
    plan.noDestination = plan.leftOut.empty()
                             ? "no profile folder is known (APPDATA, ALLUSERSPROFILE)"
                             : "no profile folder is known (APPDATA), and the default user's is "
                               "left out";
  return plan;
}

DeploymentOutcome DeploymentNotRun(DeploymentKind kind) {
  DeploymentOutcome outcome;
  outcome.plan.kind = kind;
  return outcome;
}

DeploymentOutcome CarryOutDeployment(const DeploymentPlan& plan, const DeploymentActions& actions) {
  DeploymentOutcome outcome;
  outcome.ran = true;
  outcome.plan = plan;
  for (const std::string& destination : plan.destinations)
    outcome.extractions.push_back(
        actions.extract(actions.context, plan.archivePath, destination, plan.links));
  return outcome;
}

DeploymentOutcome DeploySystemArchiveWith(const char* systemArchivePath,
                                          const DeploymentEnvironment& env,
                                          const DeploymentActions& actions) {
  return CarryOutDeployment(PlanSystemDeployment(systemArchivePath, env), actions);
}

DeploymentOutcome DeployProfileArchiveWith(const char* profileArchivePath,
                                           const DeploymentEnvironment& env,
                                           const DeploymentActions& actions) {
  return CarryOutDeployment(PlanProfileDeployment(profileArchivePath, env, actions), actions);
}

DeploymentOutcome DeploySystemArchive(const char* systemArchivePath) {
  return DeploySystemArchiveWith(systemArchivePath, ReadDeploymentEnvironment(),
                                 kDeploymentActions);
}

DeploymentOutcome DeployProfileArchive(const char* profileArchivePath) {
  return DeployProfileArchiveWith(profileArchivePath, ReadDeploymentEnvironment(),
                                  kDeploymentActions);
}
