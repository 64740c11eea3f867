#include "core/main_sequence.h"

#include "core/launcher_exit.h"
#include "core/path_table.h"
#include "core/settings.h"
#include "core/setup_command.h"
#include "deploy/deployment.h"
#include "housekeeping/process_termination.h"
#include "housekeeping/start_menu.h"
#include "locale/language_swap.h"
#include "platform/module_path.h"
#include "platform/process.h"
#include "platform/single_instance.h"
#include "platform/sleep.h"
#include "registry/registry_script.h"

namespace {

// The helper that setup leaves running, ended after setup when asked to.
const char kHelperImageName[100] = "Ormlatch.exe";

// Starts the setup program and waits for it. A setup path or command that
// does not fit its buffer starts nothing, as a missing program would.
void RunSetupProgram(const char* modulePath, const LauncherSettings& settings,
                     const char* commandTail) {
  char setupPath[kPathBufferSize];
  char command[kSetupCommandSize];
  if (settings.defaultCmdTooLong ||
      !BuildSetupPath(modulePath, settings.DEFAULTCMD, setupPath) ||
      !BuildSetupCommand(setupPath, commandTail, command))
    return;
  ChildProcess setup;
  if (StartProcess(command, &setup)) WaitForProcessEnd(&setup);
}

}  // namespace

void RunLauncher(const char* commandTail) {
  static PathTable paths;
  DeriveStartupPaths(&paths);
  // Without its own path the launcher cannot find its configuration,
  // archives or setup program; anything it did would act on files relative
  // to the current directory instead.
  if (paths.exeFileName[0] == '\0') EndLauncher();

  if (CreateNamedMutex(paths.exeFileName) == NamedMutexResult::kAlreadyExists) EndLauncher();

  const LauncherSettings settings = ReadLauncherSettings(paths.iniPath);

  if (IsSwitchOn(settings.COPYFROMZIP)) DeploySystemArchive(paths.systemArchivePath);
  if (IsSwitchOn(settings.COPYSETFROMZIP)) DeployProfileArchive(paths.profileArchivePath);

  static LanguageSwap swap;
  SwapLanguageConfig(paths.exeDirectory, paths.iniPath, settings.INILANG, &swap);

  char modulePath[kPathBufferSize];
  if (GetLauncherModulePath(modulePath, sizeof(modulePath)) == 0) EndLauncher();
  RunSetupProgram(modulePath, settings, commandTail);

  if (IsSwitchOn(settings.SLEEP)) SleepMilliseconds(settings.SLEEPTIME);

  ApplyRegistryScript(paths.iniPath);

  if (IsSwitchOn(settings.TERMINATEORMLATCH)) TerminateProcessByImageName(kHelperImageName);
  if (IsSwitchOn(settings.CHECKSTARTPROGRAM)) RelocateStartMenuFolder();

  if (swap.configSwapped) RestoreLanguageConfig(swap);
  EndLauncher();
}
