#include "registry/registry_script.h"

#include <cstdio>
#include <cstring>

#include "core/launcher_exit.h"
#include "core/path_buffer.h"
#include "core/settings.h"
#include "platform/environment.h"
#include "platform/file_ops.h"
#include "platform/process.h"
#include "platform/profile.h"

namespace {

const char kScriptName[] = "AddDel.inf";
const char kRunnerName[] = "\\System32\\rundll32.exe";
constexpr size_t kInstallerCommandSize = 1024;

// Longest values, in characters, of the entries' fields.
constexpr unsigned long kLongField = 260;
constexpr unsigned long kShortField = 259;  // value names and flags

struct Field {
  const char* keyPattern;
  unsigned long longest;
};

const Field kAdditionFields[] = {
    {"ADDREG%llu_ROOT", kLongField},      {"ADDREG%llu_SUBKEY", kLongField},
    {"ADDREG%llu_ENTRYNAME", kShortField}, {"ADDREG%llu_FLAGS", kShortField},
    {"ADDREG%llu_VALUE", kLongField},
};

const Field kDeletionFields[] = {
    {"DELREG%llu_ROOT", kLongField},
    {"DELREG%llu_SUBKEY", kLongField},
    {"DELREG%llu_ENTRYNAME", kShortField},
};

// Reads one field of entry `index`; missing keys read as empty. False when
// the value is longer than the field takes: written cut, it would be some
// other key or value than the one configured.
bool ReadField(const char* iniPath, const Field& field, uint64_t index, std::string* value) {
  char key[64];
  std::snprintf(key, sizeof(key), field.keyPattern, static_cast<unsigned long long>(index));
  char buffer[kLongField + 2];
  unsigned long length =
      ReadProfileString(kSectionParams, key, "", buffer, field.longest + 2, iniPath);
  value->assign(buffer, length);
  return length <= field.longest;
}

// Reads all fields of entry `index` in order; false when any is too long.
template <size_t N>
bool ReadEntry(const char* iniPath, const Field (&fields)[N], uint64_t index,
               std::string (&values)[N]) {
  bool fits = true;
  for (size_t i = 0; i < N; ++i) fits = ReadField(iniPath, fields[i], index, &values[i]) && fits;
  return fits;
}

}  // namespace

std::string ComposeRegistryScript(const char* iniPath, uint32_t addCount, uint32_t deleteCount) {
  std::string script = "[Version]\nsignature=\"$CHICAGO$\"\n\n[DefaultInstall]\n";
  if (addCount != 0) script += "AddReg = Add.reg\n";
  if (deleteCount != 0) script += "DelReg = Del.reg\n";
  // 64-bit indexes end even when a count is the largest 32-bit number.
  if (addCount != 0) {
    script += "\n[Add.reg]\n";
    for (uint64_t index = 1; index <= addCount; ++index) {
      std::string f[5];
      if (!ReadEntry(iniPath, kAdditionFields, index, f)) continue;
      script += f[0] + ", \"" + f[1] + "\",\"" + f[2] + "\"," + f[3] + "," + f[4] + "\n";
    }
  }
  if (deleteCount != 0) {
    script += "\n[Del.reg]\n";
    for (uint64_t index = 1; index <= deleteCount; ++index) {
      std::string f[3];
      if (!ReadEntry(iniPath, kDeletionFields, index, f)) continue;
      script += f[0] + ", \"" + f[1] + "\",\"" + f[2] + "\"\n";
    }
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

RegistryScriptOutcome RunRegistryScript(const char* iniPath, const char* temp,
                                        const char* systemRoot) {
  if (temp == nullptr) return RegistryScriptOutcome::kSkipped;
  std::string scriptPath = std::string(temp) + "\\" + kScriptName;

  uint32_t addCount = ReadProfileInt(kSectionParams, "ADDREG", 0, iniPath);
  uint32_t deleteCount = ReadProfileInt(kSectionParams, "DELREG", 0, iniPath);
  if (addCount == 0 && deleteCount == 0) return RegistryScriptOutcome::kSkipped;

  // A script path that does not fit a path buffer could not be created there.
  if (scriptPath.size() >= kPathBufferSize ||
      !WriteNewTextFile(scriptPath.c_str(), ComposeRegistryScript(iniPath, addCount, deleteCount)))
    return RegistryScriptOutcome::kScriptNotWritten;

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

void ApplyRegistryScript(const char* iniPath) {
  if (RunRegistryScript(iniPath, GetEnvironmentValue("TEMP"), GetEnvironmentValue("SystemRoot")) ==
      RegistryScriptOutcome::kScriptNotWritten)
    EndLauncher();
}
