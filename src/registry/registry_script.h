// Registry additions and deletions, applied through the system's INF
// installer.
#ifndef LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H
#define LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H

// Writes the listed changes as a script, installs it and deletes it. Ends the
// launcher itself when the script cannot be written.
void ApplyRegistryScript(const char* iniPath);

#endif
