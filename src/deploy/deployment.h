// Prepared files unpacked from the zip archives beside the launcher.
#ifndef LAUNCHER_DEPLOY_DEPLOYMENT_H
#define LAUNCHER_DEPLOY_DEPLOYMENT_H

#include <string>

// Unpacks the system archive into the Windows directory ("SystemRoot").
void DeploySystemArchive(const char* systemArchivePath);

// Unpacks the profile archive into the current (or a well-known) user's and
// the default user's "Application Data" folders.
void DeployProfileArchive(const char* profileArchivePath);

// The environment values the deployments read; null when not set. An empty
// value counts as not set: it names no folder.
struct DeploymentEnvironment {
  const char* systemRoot;
  const char* allUsersProfile;
  const char* systemDrive;
  const char* appData;
};

DeploymentEnvironment ReadDeploymentEnvironment();

// What the deployments do to the file system.
struct DeploymentActions {
  bool (*pathExists)(const std::string& path);
  bool (*extract)(const std::string& archivePath, const std::string& destination);
};

// The real ones: PathExists and ExtractZipArchive.
extern const DeploymentActions kDeploymentActions;

void DeploySystemArchiveWith(const char* systemArchivePath, const DeploymentEnvironment& env,
                             const DeploymentActions& actions);
void DeployProfileArchiveWith(const char* profileArchivePath, const DeploymentEnvironment& env,
                              const DeploymentActions& actions);

#endif
