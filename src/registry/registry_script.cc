#include "registry/registry_script.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "core/fixed_names.h"
#include "core/path_buffer.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "registry/inf_line.h"
#include "registry/registry_entries.h"

namespace {

constexpr size_t kInstallerCommandSize = 1024;

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

bool ComposeInstallerCommand(const char* systemRoot, const std::string& scriptPath,
                             std::string* command) {
  command->clear();
  // Without SystemRoot the runner path would name a program in the root of
  // the current drive, which is nobody's installer.
  if (systemRoot == nullptr || *systemRoot == '\0') return false;
  std::string runnerPath = std::string(systemRoot) + kInstallerRunner;
  char line[kInstallerCommandSize];
  int length = std::snprintf(line, sizeof(line),
                             "%s setupapi,InstallHinfSection DefaultInstall 132 %s",
                             runnerPath.c_str(), scriptPath.c_str());
  if (runnerPath.size() >= kPathBufferSize || length <= 0 ||
      static_cast<size_t>(length) >= sizeof(line))
    return false;
  command->assign(line, static_cast<size_t>(length));
  return true;
}

RegistryScriptPlan PlanRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemRoot) {
  RegistryScriptPlan plan;
  // Without TEMP the configuration is not even read.
  if (temp == nullptr) return plan;
  plan.scriptPath = std::string(temp) + "\\" + kRegistryScriptName;
  plan.scriptPathFits = plan.scriptPath.size() < kPathBufferSize;
  plan.addCount = ReadProfileInt(kSectionParams, "ADDREG", 0, iniPath);
  plan.deleteCount = ReadProfileInt(kSectionParams, "DELREG", 0, iniPath);
  plan.skip = RegistrySkip::kNothingListed;
  if (plan.addCount == 0 && plan.deleteCount == 0) return plan;
  plan.skip = RegistrySkip::kNone;
  plan.script = ComposeRegistryScript(iniPath, plan.addCount, plan.deleteCount);
  ComposeInstallerCommand(systemRoot, plan.scriptPath, &plan.installerCommand);
  return plan;
}

RegistryScriptOutcome CarryOutRegistryScript(const RegistryScriptPlan& plan) {
  if (plan.skip != RegistrySkip::kNone) return RegistryScriptOutcome::kSkipped;
  if (!plan.scriptPathFits || !WriteNewTextFile(plan.scriptPath.c_str(), plan.script.text))
    return RegistryScriptOutcome::kScriptNotWritten;
  bool started = false;
  ChildProcess installer;
  const std::string runner = FindCommandProgram(plan.installerCommand.c_str());
  if (!runner.empty() && StartProcess(runner.c_str(), plan.installerCommand.c_str(), &installer)) {
    WaitForProcessEnd(&installer);
    started = true;
  }
  DeleteFileAt(plan.scriptPath.c_str());
  return started ? RegistryScriptOutcome::kInstallerRun
                 : RegistryScriptOutcome::kInstallerNotStarted;
}

RegistryStepOutcome ApplyRegistryScript(const char* iniPath) {
  return RunRegistryScript(iniPath, GetEnvironmentValue("TEMP"), GetEnvironmentValue("SystemRoot"));
}

RegistryStepOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                      const char* systemRoot) {
  RegistryStepOutcome outcome;
  outcome.plan = PlanRegistryScript(iniPath, temp, systemRoot);
  outcome.result = CarryOutRegistryScript(outcome.plan);
  return outcome;
}
