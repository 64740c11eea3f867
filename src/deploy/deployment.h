// Prepared files unpacked from the zip archives beside the launcher.
#ifndef LAUNCHER_DEPLOY_DEPLOYMENT_H
#define LAUNCHER_DEPLOY_DEPLOYMENT_H

#include <string>
#include <vector>

#include "deploy/zip_extraction.h"

// The environment values the deployments read; null when not set. An empty
// value counts as not set: it names no folder.
struct DeploymentEnvironment {
  const char* systemRoot;
  const char* allUsersProfile;
  const char* systemDrive;
  const char* appData;
  // What the system itself names, null when it cannot: the default user's
  // "Application Data" folder, and the folder that holds the profiles.
  const char* defaultUserAppData = nullptr;
  const char* profilesFolder = nullptr;
};

DeploymentEnvironment ReadDeploymentEnvironment();

// What the deployments do to the file system.
struct DeploymentActions {
  void* context;
  bool (*pathExists)(void* context, const std::string& path);
  ExtractionOutcome (*extract)(void* context, const std::string& archivePath,
                               const std::string& destination, LinkPolicy links);
};

// The real ones: PathExists and ExtractZipArchive.
extern const DeploymentActions kDeploymentActions;

enum class DeploymentKind { kSystem, kProfile };

// Where a deployment unpacks its archive, in order.
struct DeploymentPlan {
  DeploymentKind kind = DeploymentKind::kSystem;
  std::string archivePath;
  std::vector<std::string> destinations;  // prefixes, each ending in a backslash
  const char* noDestination = "";         // why there is none, when empty
  std::string leftOut;                    // a destination left out, and why; empty when none
  // A user may change his profile's folders, never the Windows directory.
  LinkPolicy links = LinkPolicy::kEntered;
};

// The system archive goes into the Windows directory ("SystemRoot").
DeploymentPlan PlanSystemDeployment(const char* systemArchivePath,
                                    const DeploymentEnvironment& env);

// The profile archive goes into the current (or a well-known) user's and the
// default user's "Application Data" folders; which well-known user is asked
// of `actions.pathExists`. The default user's folder is the one the system
// names; failing that the fixed one below the profiles root, only where the
// system names that root as its profiles folder; otherwise it is left out.
DeploymentPlan PlanProfileDeployment(const char* profileArchivePath,
                                     const DeploymentEnvironment& env,
                                     const DeploymentActions& actions);

struct DeploymentOutcome {
  bool ran = false;                            // false: switched off
  DeploymentPlan plan;                         // its kind is told even when it did not run
  std::vector<ExtractionOutcome> extractions;  // one per destination
};

// A deployment that is switched off.
DeploymentOutcome DeploymentNotRun(DeploymentKind kind);

DeploymentOutcome CarryOutDeployment(const DeploymentPlan& plan, const DeploymentActions& actions);

// The steps, over the process's environment and the file system.
DeploymentOutcome DeploySystemArchive(const char* systemArchivePath);
DeploymentOutcome DeployProfileArchive(const char* profileArchivePath);

// Plan and carry out over the given environment and actions.
DeploymentOutcome DeploySystemArchiveWith(const char* systemArchivePath,
                                          const DeploymentEnvironment& env,
                                          const DeploymentActions& actions);
DeploymentOutcome DeployProfileArchiveWith(const char* profileArchivePath,
                                           const DeploymentEnvironment& env,
                                           const DeploymentActions& actions);

#endif
