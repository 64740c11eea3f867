#include "core/setup_command.h"

#include <cstring>
#include <string>

#include "core/path_buffer.h"
#include "platform/system.h"
#include "platform/text.h"

bool BuildSetupPath(const char* modulePath, const char* setupProgram, char* setupPath) {
  const char* slash = FindLastAnsiChar(modulePath, '\\');
  std::string path(modulePath, slash != nullptr ? slash + 1 - modulePath : std::strlen(modulePath));
  path += setupProgram;
  return CopyWhole(setupPath, kPathBufferSize, path.c_str());
}

bool BuildSetupCommand(const char* setupPath, const char* commandTail, char* command) {
  std::string line = setupPath;
  if (*commandTail != '\0') {
    line += ' ';
    line += commandTail;
  }
  return CopyWhole(command, kSetupCommandSize, line.c_str());
}

SetupPlan PlanSetupProgram(const char* modulePath, const LauncherSettings& settings,
                           const char* commandTail) {
  SetupPlan plan;
  if (modulePath == nullptr) return plan;
  plan.waitForTree = IsSwitchOn(settings.WAITALL);
  plan.block = SetupBlock::kDefaultCmdTooLong;
  if (settings.defaultCmdTooLong) return plan;
  plan.defaultCmdEmpty = settings.DEFAULTCMD[0] == '\0';
  char setupPath[kPathBufferSize];
  plan.block = SetupBlock::kCommandTooLong;
  if (!BuildSetupPath(modulePath, settings.DEFAULTCMD, setupPath) ||
      !BuildSetupCommand(setupPath, commandTail, plan.command))
    return plan;
  plan.block = SetupBlock::kNone;
  return plan;
}

SetupOutcome RunSetupProgram(const LauncherSettings& settings, const char* commandTail) {
  SetupOutcome outcome;
  char modulePath[kPathBufferSize];
  const bool ownPathKnown = GetLauncherModulePath(modulePath, sizeof(modulePath)) != 0;
  outcome.plan = PlanSetupProgram(ownPathKnown ? modulePath : nullptr, settings, commandTail);
  if (outcome.plan.block != SetupBlock::kNone) return outcome;
  const char* command = outcome.plan.command;
  outcome.started = outcome.plan.waitForTree ? StartProcessTree(command, &outcome.process)
                                             : StartProcess(command, &outcome.process);
  if (outcome.started) WaitForProcessEnd(&outcome.process);
  return outcome;
}
