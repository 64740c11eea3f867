#include "registry/registry_script.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "core/path_buffer.h"
#include "core/settings.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "registry/inf_line.h"
#include "registry/registry_entries.h"

namespace {

const char kScriptName[] = "AddDel.inf";
const char kRunnerName[] = "\\System32\\rundll32.exe";
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
  std::string runnerPath = std::string(systemRoot) + kRunnerName;
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

RegistryScriptOutcome ApplyRegistryScript(const char* iniPath, RegistryScript* script) {
  return RunRegistryScript(iniPath, GetEnvironmentValue("TEMP"), GetEnvironmentValue("SystemRoot"),
                           script);
}

RegistryScriptOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                        const char* systemRoot, RegistryScript* script) {
  if (temp == nullptr) return RegistryScriptOutcome::kSkipped;
  std::string scriptPath = std::string(temp) + "\\" + kScriptName;

  uint32_t addCount = ReadProfileInt(kSectionParams, "ADDREG", 0, iniPath);
  uint32_t deleteCount = ReadProfileInt(kSectionParams, "DELREG", 0, iniPath);
  if (addCount == 0 && deleteCount == 0) return RegistryScriptOutcome::kSkipped;

  RegistryScript composed = ComposeRegistryScript(iniPath, addCount, deleteCount);
  const bool written = scriptPath.size() < kPathBufferSize &&  // else it cannot be created
                       WriteNewTextFile(scriptPath.c_str(), composed.text);
  if (script != nullptr) *script = std::move(composed);
  if (!written) return RegistryScriptOutcome::kScriptNotWritten;

  bool started = false;
  std::string command;
  ChildProcess installer;
  if (ComposeInstallerCommand(systemRoot, scriptPath, &command) &&
      StartProcess(command.c_str(), &installer)) {
    WaitForProcessEnd(&installer);
    started = true;
  }
  DeleteFileAt(scriptPath.c_str());
  return started ? RegistryScriptOutcome::kInstallerRun
                 : RegistryScriptOutcome::kInstallerNotStarted;
}
