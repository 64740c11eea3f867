#include "registry/registry_script.h"

#include <string>
#include <utility>

#include "core/fixed_names.h"
#include "core/path_buffer.h"
#include "platform/file_system.h"
#include "platform/private_directory.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "registry/inf_line.h"
#include "registry/registry_entries.h"

namespace {

constexpr size_t kInstallerCommandSize = 1024;
constexpr size_t kInstallerLineSize = 260;
constexpr char kInstallerArguments[] = "DefaultInstall 132 ";

// Appends the lines of `entries` to `script`.
void AppendEntries(const std::vector<RegistryEntry>& entries, RegistryScript* script) {
  for (const RegistryEntry& entry : entries) {
    std::string line, reason;
    if (!ComposeInfLine(entry, &line, &reason)) {
      script->leftOut.push_back({RegistryKeyName(entry, kFieldCount), reason});
      continue;
    }
    script->text += line + "\n";
    if (DeletesWholeKey(entry)) {
      script->wholeKeyDeletions.push_back(
          {RegistryKeyName(entry, kFieldCount), entry.fields[kRoot] + "\\" + entry.fields[kSubkey]});
    }
  }
}

}  // namespace

RegistryScript ComposeRegistryScript(const char* iniPath, uint32_t addCount,
                                     uint32_t deleteCount) {
  RegistryScript script;
  script.text = "[Version]\nsignature=\"$CHICAGO$\"\n\n[DefaultInstall]\n";
  if (addCount != 0) script.text += "AddReg = Add.reg\n";
  if (deleteCount != 0) script.text += "DelReg = Del.reg\n";
  if (addCount != 0) {
    script.text += "\n[Add.reg]\n";
    AppendEntries(ReadRegistryEntries(iniPath, false, addCount), &script);
  }
  if (deleteCount != 0) {
    script.text += "\n[Del.reg]\n";
    AppendEntries(ReadRegistryEntries(iniPath, true, deleteCount), &script);
  }
  return script;
}

bool ComposeInstallerCommand(const std::string& program, const std::string& scriptPath,
                             std::string* command) {
  command->clear();
  if (program.empty()) return false;
  const std::string arguments = std::string(kInstallerArguments) + scriptPath;
  // The installer copies its part of the line into a buffer of 260
  // characters: a longer one would be read as a shorter path, which could
  // name another file.
  if (arguments.size() >= kInstallerLineSize) return false;
  std::string line = "\"" + program + "\" setupapi,InstallHinfSection " + arguments;
  if (program.size() >= kPathBufferSize || line.size() >= kInstallerCommandSize) return false;
  *command = std::move(line);
  return true;
}

RegistryScriptPlan PlanRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemDirectory) {
  RegistryScriptPlan plan;
  // Without TEMP the configuration is not even read.
  if (temp == nullptr) return plan;
  plan.temp = temp;
  const std::string tail = std::string("\\") + kRegistryScriptName;
  plan.scriptPath = plan.temp + "\\" + kFreshFolderShown + tail;
  // The name the run picks has a fixed length: any one tells whether the
  // paths will fit.
  const std::string sample = plan.temp + "\\" + PrivateDirectoryName(0, 0, 0) + tail;
  plan.scriptPathFits = sample.size() < kPathBufferSize;
  plan.addCount = ReadProfileInt(kSectionParams, "ADDREG", 0, iniPath);
  plan.deleteCount = ReadProfileInt(kSectionParams, "DELREG", 0, iniPath);
  plan.skip = RegistrySkip::kNothingListed;
  if (plan.addCount == 0 && plan.deleteCount == 0) return plan;
  plan.skip = RegistrySkip::kNone;
  plan.script = ComposeRegistryScript(iniPath, plan.addCount, plan.deleteCount);
  std::string command;
  if (systemDirectory != nullptr && *systemDirectory != '\0') {
    const std::string program = std::string(systemDirectory) + "\\" + kInstallerRunner;
    if (ComposeInstallerCommand(program, sample, &command)) {
      plan.installerProgram = program;
      ComposeInstallerCommand(program, plan.scriptPath, &plan.installerCommand);
    }
  }
  return plan;
}

void CarryOutRegistryScript(RegistryStepOutcome* outcome) {
  const RegistryScriptPlan& plan = outcome->plan;
  outcome->result = RegistryScriptOutcome::kSkipped;
  if (plan.skip != RegistrySkip::kNone) return;
  outcome->result = RegistryScriptOutcome::kScriptNotWritten;
  if (!plan.scriptPathFits) return;
  // TEMP is the user's: a script written there could be rewritten between
  // its writing and its installing, and the installer runs with our rights.
  PrivateDirectory folder;
  if (!CreatePrivateDirectory(plan.temp.c_str(), &folder)) {
    outcome->result = RegistryScriptOutcome::kNoPrivateFolder;
    return;
  }
  outcome->scriptPath = folder.path + "\\" + kRegistryScriptName;
  const char* script = outcome->scriptPath.c_str();
  if (!WriteNewTextFile(script, plan.script.text)) {
    DeleteFileAt(script);
    outcome->folderRemoved = RemovePrivateDirectory(&folder);
    return;
  }
  bool started = false;
  std::string command;
  ChildProcess installer;
  if (ComposeInstallerCommand(plan.installerProgram, outcome->scriptPath, &command) &&
      StartProcess(plan.installerProgram.c_str(), command.c_str(), &installer)) {
    WaitForProcessEnd(&installer);
    started = true;
  }
  DeleteFileAt(script);
  outcome->folderRemoved = RemovePrivateDirectory(&folder);
  outcome->result = started ? RegistryScriptOutcome::kInstallerRun
                            : RegistryScriptOutcome::kInstallerNotStarted;
}

RegistryStepOutcome ApplyRegistryScript(const char* iniPath) {
  std::string systemDirectory;
  const bool known = GetSystemDirectoryPath(&systemDirectory);
  return RunRegistryScript(iniPath, GetEnvironmentValue("TEMP"),
                           known ? systemDirectory.c_str() : nullptr);
}

RegistryStepOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemDirectory) {
  RegistryStepOutcome outcome;
  outcome.plan = PlanRegistryScript(iniPath, temp, systemDirectory);
  CarryOutRegistryScript(&outcome);
  return outcome;
}
