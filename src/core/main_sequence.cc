#include "core/main_sequence.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/launcher_exit.h"
#include "core/path_table.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "core/setup_command.h"
#include "deploy/deployment.h"
#include "deploy/zip_extraction.h"
#include "housekeeping/process_termination.h"
#include "housekeeping/start_menu.h"
#include "locale/language_swap.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/text.h"
#include "registry/registry_script.h"

namespace {

// The helper that setup leaves running, ended after setup when asked to.
const char kHelperImageName[100] = "Ormlatch.exe";

struct SetupRun {
  bool started = false;
  bool exitCodeKnown = false;
  uint32_t exitCode = 0;
};

std::string Number(unsigned long long value) { return std::to_string(value); }

std::string SwitchOff(const char* key, uint32_t value) {
  return std::string("not run: ") + key + " is " + Number(value) + ", not 1";
}

std::string WaitedForText(const ChildProcess& setup, uint32_t waitAll) {
  const std::string own = "waited for setup's own process only";
  switch (setup.treeWatch) {
    case TreeWatch::kNotAsked: return own + " (WAITALL is " + Number(waitAll) + ", not 1)";
    case TreeWatch::kWatched: return "waited for setup and every process started from it";
    case TreeWatch::kNoJobObjects: return own + ": this Windows has no job objects";
    case TreeWatch::kNotInJob:
      return own + ": setup could not be put in a job of its own (error " +
             Number(setup.treeError) + "; the launcher may run in a job already)";
    case TreeWatch::kNoSubreaper: return own + ": the kernel cannot make the launcher a subreaper";
  }
  return own;
}

// Starts the setup program and waits for it. A setup path or command that
// does not fit its buffer starts nothing, as a missing program would.
SetupRun RunSetupProgram(const char* modulePath, const LauncherSettings& settings,
                         const char* commandTail, const RunLog& log) {
  SetupRun run;
  char setupPath[kPathBufferSize];
  char command[kSetupCommandSize];
  if (settings.defaultCmdTooLong) {
    LogStep(log, "setup", "not started: DEFAULTCMD is longer than 260 characters");
    return run;
  }
  if (!BuildSetupPath(modulePath, settings.DEFAULTCMD, setupPath) ||
      !BuildSetupCommand(setupPath, commandTail, command)) {
    LogStep(log, "setup", "not started: the setup path or command is too long");
    return run;
  }
  ChildProcess setup;
  const bool started = IsSwitchOn(settings.WAITALL) ? StartProcessTree(command, &setup)
                                                    : StartProcess(command, &setup);
  if (!started) {
    LogStep(log, "setup", "not started: cannot start \"" + std::string(command) + "\"");
    return run;
  }
  WaitForProcessEnd(&setup);
  run.started = true;
  run.exitCodeKnown = setup.exitCodeKnown;
  run.exitCode = setup.exitCode;
  LogStep(log, "setup",
          "ran \"" + std::string(command) + "\", exit code " +
              (setup.exitCodeKnown ? Number(setup.exitCode) : std::string("unknown")) +
              "; " + WaitedForText(setup, settings.WAITALL));
  return run;
}

void LogDeployment(const RunLog& log, const char* step, const char* archivePath) {
  const std::vector<std::string> skipped = TakeUnrepresentableEntryNames();
  if (log.path[0] == '\0') return;
  for (const std::string& name : skipped)
    LogStep(log, step, "skipped entry \"" + name + "\": its UTF-8 name has characters code page " +
                           Number(CurrentAnsiCodePage()) + " cannot hold");
  LogStep(log, step,
          PathExists(archivePath) ? "unpacked " + std::string(archivePath)
                                  : "archive " + std::string(archivePath) + " missing: nothing unpacked");
}

const char* RegistryOutcomeText(RegistryScriptOutcome outcome) {
  switch (outcome) {
    case RegistryScriptOutcome::kSkipped: return "nothing to do (TEMP unset, or ADDREG and DELREG 0)";
    case RegistryScriptOutcome::kInstallerRun: return "script installed and deleted";
    case RegistryScriptOutcome::kInstallerNotStarted: return "installer not started; script deleted";
    case RegistryScriptOutcome::kScriptNotWritten: return "script not written: the launcher ends here";
  }
  return "";
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
  static RunLog log;
  OpenRunLog(settings.logFileTooLong ? nullptr : settings.LOGFILE, &log);
  LogStep(log, "start",
          "configuration " + std::string(paths.iniPath) + ", tail \"" + commandTail + "\"");

  if (IsSwitchOn(settings.COPYFROMZIP)) {
    DeploySystemArchive(paths.systemArchivePath);
    LogDeployment(log, "system deployment", paths.systemArchivePath);
  } else {
    LogStep(log, "system deployment", SwitchOff("COPYFROMZIP", settings.COPYFROMZIP));
  }
  if (IsSwitchOn(settings.COPYSETFROMZIP)) {
    DeployProfileArchive(paths.profileArchivePath);
    LogDeployment(log, "profile deployment", paths.profileArchivePath);
  } else {
    LogStep(log, "profile deployment", SwitchOff("COPYSETFROMZIP", settings.COPYSETFROMZIP));
  }

  static LanguageSwap swap;
  SwapLanguageConfig(paths.exeDirectory, paths.iniPath, settings.INILANG, &swap);
  LogStep(log, "language swap",
          swap.configSwapped ? "swapped in the language copy; the package's own file waits as " +
                                   std::string(swap.backupPath)
          : settings.INILANG == 0 ? std::string("nothing to do: INILANG is 0")
                                  : "not swapped: language not listed, or a file missing or in the way");

  char modulePath[kPathBufferSize];
  if (GetLauncherModulePath(modulePath, sizeof(modulePath)) == 0) {
    LogStep(log, "end", "own path unknown: the launcher ends here, exit status 1");
    EndLauncher();
  }
  const SetupRun setup = RunSetupProgram(modulePath, settings, commandTail, log);

  if (IsSwitchOn(settings.SLEEP)) {
    SleepMilliseconds(settings.SLEEPTIME);
    LogStep(log, "pause", "slept " + Number(settings.SLEEPTIME) + " ms");
  } else {
    LogStep(log, "pause", SwitchOff("SLEEP", settings.SLEEP));
  }

  RegistryScript script;
  const RegistryScriptOutcome registry = ApplyRegistryScript(paths.iniPath, &script);
  for (const LeftOutEntry& entry : script.leftOut)
    LogStep(log, "registry", entry.entry + " left out: " + entry.reason);
  LogStep(log, "registry", RegistryOutcomeText(registry));
  if (registry == RegistryScriptOutcome::kScriptNotWritten) {
    // The later steps are skipped, but the package's own configuration file
    // is put back: left as the backup, it would disable every later swap.
    if (swap.configSwapped) {
      RestoreLanguageConfig(swap);
      LogStep(log, "restore", "put back " + std::string(swap.configPath));
    }
    // Setup's own exit code is not passed on here: the launcher did not
    // finish, and a success code would hide that.
    LogStep(log, "end", "exit status 1");
    EndLauncher();
  }

  if (IsSwitchOn(settings.TERMINATEORMLATCH)) {
    const int result = TerminateProcessByImageName(kHelperImageName);
    LogStep(log, "helper process",
            result == kTerminated ? std::string("ended ") + kHelperImageName
            : result == kNoMatchingProcess
                ? std::string("no ") + kHelperImageName + " running"
                : "not ended, result " + Number(static_cast<unsigned>(result)));
  } else {
    LogStep(log, "helper process", SwitchOff("TERMINATEORMLATCH", settings.TERMINATEORMLATCH));
  }
  if (IsSwitchOn(settings.CHECKSTARTPROGRAM)) {
    RelocateStartMenuFolder();
    LogStep(log, "start menu", "relocation ran");
  } else {
    LogStep(log, "start menu", SwitchOff("CHECKSTARTPROGRAM", settings.CHECKSTARTPROGRAM));
  }

  if (swap.configSwapped) {
    RestoreLanguageConfig(swap);
    LogStep(log, "restore", "put back " + std::string(swap.configPath));
  } else {
    LogStep(log, "restore", "nothing to put back");
  }

  if (IsSwitchOn(settings.PASSEXITCODE) && setup.exitCodeKnown) {
    LogStep(log, "end", "exit status " + Number(setup.exitCode) + " (setup's exit code)");
    EndLauncherWithStatus(setup.exitCode);
  }
  LogStep(log, "end", "exit status 1");
  EndLauncher();
}
