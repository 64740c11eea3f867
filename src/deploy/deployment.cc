#include "deploy/deployment.h"

// Not built yet: deployment does nothing.
void DeploySystemArchive(const char* /*systemArchivePath*/) {}

void DeployProfileArchive(const char* /*profileArchivePath*/) {}
