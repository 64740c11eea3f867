// Prepared files unpacked from the zip archives beside the launcher.
#ifndef LAUNCHER_DEPLOY_DEPLOYMENT_H
#define LAUNCHER_DEPLOY_DEPLOYMENT_H

// Unpacks the system archive into the Windows directory.
void DeploySystemArchive(const char* systemArchivePath);

// Unpacks the profile archive into the current (or a well-known) user's and
// the default user's "Application Data" folders.
void DeployProfileArchive(const char* profileArchivePath);

#endif
