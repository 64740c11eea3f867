#include "deploy/deployment.h"

#include "core/path_buffer.h"
#include "deploy/zip_extraction.h"
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
    text += "\\Documents and Settings\\";
    if (!CopyWhole(root, sizeof(root), text.c_str())) return false;
  }
  // A relative value leaves nothing: the root of whatever drive is current
  // is no profiles folder.
  return root[0] != '\0';
}

}  // namespace

const DeploymentActions kDeploymentActions = {PathExists, ExtractZipArchive};

DeploymentEnvironment ReadDeploymentEnvironment() {
  DeploymentEnvironment env;
  env.systemRoot = ValueOrNull(GetEnvironmentValue("SystemRoot"));
  env.allUsersProfile = ValueOrNull(GetEnvironmentValue("ALLUSERSPROFILE"));
  env.systemDrive = ValueOrNull(GetEnvironmentValue("SystemDrive"));
  env.appData = ValueOrNull(GetEnvironmentValue("APPDATA"));
  return env;
}

void DeploySystemArchiveWith(const char* systemArchivePath, const DeploymentEnvironment& env,
                             const DeploymentActions& actions) {
  // Without a Windows directory there is nowhere to deploy to.
  const char* systemRoot = ValueOrNull(env.systemRoot);
  if (systemRoot == nullptr) return;
  actions.extract(systemArchivePath, std::string(systemRoot) + "\\");
}

void DeployProfileArchiveWith(const char* profileArchivePath, const DeploymentEnvironment& env,
                              const DeploymentActions& actions) {
  char root[kPathBufferSize];
  const bool haveRoot = BuildProfilesRoot(env, root);

  if (const char* appData = ValueOrNull(env.appData)) {
    actions.extract(profileArchivePath, std::string(appData) + "\\");
  } else if (haveRoot) {
    const std::string base = std::string(root) + "\\";
    if (actions.pathExists(base + "Owner")) {
      actions.extract(profileArchivePath, base + "Owner\\Application Data\\");
    } else if (actions.pathExists(base + "Administrator")) {
      actions.extract(profileArchivePath, base + "Administrator\\Application Data\\");
    }
  }

  if (haveRoot)
    actions.extract(profileArchivePath, std::string(root) + "\\Default User\\Application Data\\");
}

void DeploySystemArchive(const char* systemArchivePath) {
  DeploySystemArchiveWith(systemArchivePath, ReadDeploymentEnvironment(), kDeploymentActions);
}

void DeployProfileArchive(const char* profileArchivePath) {
  DeployProfileArchiveWith(profileArchivePath, ReadDeploymentEnvironment(), kDeploymentActions);
}
