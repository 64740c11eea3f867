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
  kNoPrivateFolder,      // no folder of the launcher's own could be made in
                         // TEMP, so no script: the launcher must end here
  kScriptNotWritten,     // the launcher must end here
};

// Why the step has nothing to do, or kNone.
enum class RegistrySkip { kNone, kNoTemp, kNothingListed };

// What the step would write and run. The script goes into a folder that the
// step makes afresh in TEMP, whose name is picked only then: the plan shows
// it as kFreshFolderShown.
struct RegistryScriptPlan {
  RegistrySkip skip = RegistrySkip::kNoTemp;
  uint32_t addCount = 0;        // ADDREG, read only when TEMP is set
  uint32_t deleteCount = 0;     // DELREG, likewise
  std::string temp;             // where the script's folder is made
  std::string scriptPath;       // "<TEMP>\<fresh private folder>\AddDel.inf"
  bool scriptPathFits = false;  // a longer path cannot be created
  RegistryScript script;
  // "<system directory>\rundll32.exe", and its command line for the script
  // path shown; both empty when the installer cannot be started.
  std::string installerProgram;
  std::string installerCommand;
};

// How the plan shows the folder's name, which only the run picks.
inline constexpr char kFreshFolderShown[] = "<fresh private folder>";

// Decides from TEMP, the system directory (each null when unknown) and the
// configuration.
RegistryScriptPlan PlanRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemDirectory);

struct RegistryStepOutcome {
  RegistryScriptPlan plan;
  RegistryScriptOutcome result = RegistryScriptOutcome::kSkipped;
  std::string scriptPath;        // where the script was written, if it was
  bool folderRemoved = false;    // its folder is gone again
};

// Writes the planned script into a fresh private folder, has the installer
// apply it, and deletes both.
void CarryOutRegistryScript(RegistryStepOutcome* outcome);

// The step: writes the listed changes as "AddDel.inf" in a folder of its own
// in TEMP, has the system's installer apply it and deletes it. The caller
// ends the launcher on kScriptNotWritten and kNoPrivateFolder.
RegistryStepOutcome ApplyRegistryScript(const char* iniPath);

// The same for given values of TEMP and the system directory.
RegistryStepOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemDirectory);

// The script for the given counts. Only entries with keys in the file are
// visited; an entry whose fields the installer would read otherwise than
// they stand, or that would change more than it says, is left out whole.
RegistryScript ComposeRegistryScript(const char* iniPath, uint32_t addCount,
                                     uint32_t deleteCount);

// The installer's command line: the program quoted, then the script's path
// as the rest of the line, unquoted (the installer takes all of it, blanks
// included, as the path, and would keep quotes as part of the name). False
// when the line would not fit, or the installer would read a path cut short.
bool ComposeInstallerCommand(const std::string& program, const std::string& scriptPath,
                             std::string* command);

#endif
