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

bool ExistsAt(void*, const std::string& path) { return PathExists(path); }

ExtractionOutcome ExtractAt(void*, const std::string& archivePath, const std::string& destination,
                            LinkPolicy links) {
  return ExtractZipArchive(archivePath, destination, links);
}

}  // namespace

const DeploymentActions kDeploymentActions = {nullptr, ExistsAt, ExtractAt};

DeploymentEnvironment ReadDeploymentEnvironment() {
  DeploymentEnvironment env;
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
  if (haveRoot) plan.destinations.push_back(base + kDefaultUserProfile + appDataBelow);
  if (plan.destinations.empty())
    plan.noDestination = "no profile folder is known (APPDATA, ALLUSERSPROFILE)";
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
