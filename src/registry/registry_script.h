// Registry additions and deletions, applied through the system's INF
// installer.
#ifndef LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H
#define LAUNCHER_REGISTRY_REGISTRY_SCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

// An entry the script leaves out, and why.
struct LeftOutEntry {
  std::string entry;  // "ADDREG3", "DELREG1"
  std::string reason;
};

// An entry that deletes a whole key, with everything under it.
struct WholeKeyDeletion {
  std::string entry;
  std::string key;  // "HKCU\Software\Old"
};

struct RegistryScript {
  std::string text;  // "\n" for each line end
  std::vector<LeftOutEntry> leftOut;
  std::vector<WholeKeyDeletion> wholeKeyDeletions;
};

enum class RegistryScriptOutcome {
  kSkipped,              // no TEMP, or nothing listed: nothing touched
  kInstallerRun,         // the installer ran and the script is deleted
  kInstallerNotStarted,  // the script is deleted unused
  kScriptNotWritten,     // the launcher must end here
};

// Why the step has nothing to do, or kNone.
enum class RegistrySkip { kNone, kNoTemp, kNothingListed };

// What the step would write and run.
struct RegistryScriptPlan {
  RegistrySkip skip = RegistrySkip::kNoTemp;
  uint32_t addCount = 0;        // ADDREG, read only when TEMP is set
  uint32_t deleteCount = 0;     // DELREG, likewise
  std::string scriptPath;       // "AddDel.inf" in TEMP
  bool scriptPathFits = false;  // a longer path cannot be created
  RegistryScript script;
  std::string installerCommand;  // empty: the installer cannot be started
};

// Decides from TEMP, SystemRoot (null when unset) and the configuration.
RegistryScriptPlan PlanRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemRoot);

struct RegistryStepOutcome {
  RegistryScriptPlan plan;
  RegistryScriptOutcome result = RegistryScriptOutcome::kSkipped;
};

// Writes the planned script, has the installer apply it, and deletes it.
RegistryScriptOutcome CarryOutRegistryScript(const RegistryScriptPlan& plan);

// The step: writes the listed changes as "AddDel.inf" in TEMP, has the
// system's installer apply it and deletes it. The caller ends the launcher
// on kScriptNotWritten.
RegistryStepOutcome ApplyRegistryScript(const char* iniPath);

// The same for given values of TEMP and SystemRoot (null when unset).
RegistryStepOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemRoot);

// The script for the given counts. Only entries with keys in the file are
// visited; an entry whose fields the installer would read otherwise than
// they stand, or that would change more than it says, is left out whole.
RegistryScript ComposeRegistryScript(const char* iniPath, uint32_t addCount,
                                     uint32_t deleteCount);

// The installer's command line for the script at `scriptPath`. False when
// SystemRoot is unset or empty (the runner would be looked for in the root
// of the current drive) or the runner's path or the line would not fit.
bool ComposeInstallerCommand(const char* systemRoot, const std::string& scriptPath,
                             std::string* command);

#endif
