#include "registry/registry_script.h"

// Not built yet: no registry change is made.
void ApplyRegistryScript(const char* /*iniPath*/) {}
