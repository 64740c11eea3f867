// Registry additions and deletions, applied through the system's INF
// installer.
#ifndef LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H
#define LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H

#include <cstdint>
#include <string>

// Writes the listed changes as a script, installs it and deletes it. Ends the
// launcher itself when the script cannot be written.
void ApplyRegistryScript(const char* iniPath);

enum class RegistryScriptOutcome {
  kSkipped,              // no TEMP, or nothing listed: nothing touched
  kInstallerRun,         // the installer ran and the script is deleted
  kInstallerNotStarted,  // the script is deleted unused
  kScriptNotWritten,     // the launcher must end here
};

// The step for given values of TEMP and SystemRoot (null when unset).
RegistryScriptOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                        const char* systemRoot);

// The script's text for the given counts, with "\n" for each line end. An
// entry with a value longer than its field takes is left out.
std::string ComposeRegistryScript(const char* iniPath, uint32_t addCount, uint32_t deleteCount);

// The installer's command line for the script at `scriptPath`. False when
// SystemRoot is unset or empty (the runner would be looked for in the root
// of the current drive) or the runner's path or the line would not fit.
bool ComposeInstallerCommand(const char* systemRoot, const std::string& scriptPath,
                             std::string* command);

#endif
