#include "run/main_sequence.h"

#include "core/fixed_names.h"
#include "run/launcher_exit.h"
#include "core/path_table.h"
#include "run/run_report.h"
#include "core/settings.h"
#include "run/setup_command.h"
#include "deploy/deployment.h"
#include "housekeeping/process_termination.h"
#include "housekeeping/start_menu.h"
#include "locale/language_swap.h"
#include "platform/system.h"
#include "registry/registry_script.h"

namespace {

PauseOutcome PauseAfterSetup(uint32_t milliseconds) {
  SleepMilliseconds(milliseconds);
  PauseOutcome outcome;
  outcome.ran = true;
  outcome.milliseconds = milliseconds;
  return outcome;
}

// The code a setup program that never started ends the run with: the
// system's reason for the failed start, or "invalid command line" when
// DEFAULTCMD named nothing that may be started.
uint32_t SetupFailureStatus(const SetupOutcome& setup) {
  if (setup.plan.block != SetupBlock::kNone) return kExitInvalidCommandLine;
  const unsigned long error = setup.process.startError;
  return error != 0 ? static_cast<uint32_t>(error) : kExitInstallFailure;
}

// Status 1, or, when the configuration asks for it, setup's own exit code
// when it ran to its end here, or why it never started. An early end never
// passes a code on: the launcher did not finish, and a success code would
// hide that.
[[noreturn]] void EndRun(const RunReport& report, const SetupOutcome* setup) {
  const LauncherSettings& settings = *report.settings;
  if (setup != nullptr && IsSwitchOn(settings.PASSEXITCODE)) {
    if (setup->process.exitCodeKnown) {
      ReportEnd(report, setup->process.exitCode, EndReason::kSetupExitCode);
      EndLauncherWithStatus(setup->process.exitCode);
    }
    if (!setup->started) {
      const uint32_t status = SetupFailureStatus(*setup);
      ReportEnd(report, status, EndReason::kSetupNotStarted);
      EndLauncherWithStatus(status);
    }
  }
  ReportEnd(report, 1, EndReason::kFixed);
  EndLauncher();
}

// Another launcher holds the mutex. Only the log and the exit status are
// read from the configuration: this run must not act.
[[noreturn]] void EndRefusedRun(const PathTable& paths, const MutexName& mutex,
                                const char* commandTail) {
  static LauncherSettings settings;
  settings = ReadLauncherSettings(paths.iniPath);
  static RunReport report;
  StartRunReport(paths, settings, mutex, commandTail, &report);
  const bool passed = IsSwitchOn(settings.PASSEXITCODE);
  const uint32_t status = passed ? static_cast<uint32_t>(kExitAnotherInstallation) : 1u;
  ReportRefused(report, status);
  if (passed) EndLauncherWithStatus(status);
  EndLauncher();
}

}  // namespace

void RunLauncher(const char* commandTail) {
  static PathTable paths;
  DeriveStartupPaths(&paths);
  // Without its own path the launcher cannot find its configuration,
  // archives or setup program; anything it did would act on files relative
  // to the current directory instead.
  if (paths.exeFileName[0] == '\0') EndLauncher();
  // Only the mutex's own name is read before the check: a second launcher
  // reads nothing else.
  const MutexName mutex = ReadMutexName(paths.iniPath, paths.exeFileName);
  if (CreateNamedMutex(mutex.name) == NamedMutexResult::kAlreadyExists)
    EndRefusedRun(paths, mutex, commandTail);
  const LauncherSettings settings = ReadLauncherSettings(paths.iniPath);
  static RunReport report;
  StartRunReport(paths, settings, mutex, commandTail, &report);

  ReportDeployment(report, IsSwitchOn(settings.COPYFROMZIP)
                               ? DeploySystemArchive(paths.systemArchivePath)
                               : DeploymentNotRun(DeploymentKind::kSystem));
  ReportDeployment(report, IsSwitchOn(settings.COPYSETFROMZIP)
                               ? DeployProfileArchive(paths.profileArchivePath)
                               : DeploymentNotRun(DeploymentKind::kProfile));
  static LanguageSwap swap;
  ReportLanguageSwap(report, SwapLanguageConfig(paths.exeDirectory, paths.iniPath, settings.INILANG,
                                                settings.names.setupConfigNames, &swap));
  const SetupOutcome setup = RunSetupProgram(settings, commandTail);
  ReportSetup(report, setup);
  if (setup.plan.block == SetupBlock::kOwnPathUnknown) EndRun(report, nullptr);
  ReportPause(report,
              IsSwitchOn(settings.SLEEP) ? PauseAfterSetup(settings.SLEEPTIME) : PauseOutcome());
  const RegistryStepOutcome registry = ApplyRegistryScript(paths.iniPath);
  ReportRegistry(report, registry);
  if (registry.result == RegistryScriptOutcome::kScriptNotWritten ||
      registry.result == RegistryScriptOutcome::kNoPrivateFolder) {
    // The later steps are skipped, but the package's own configuration file
    // is put back: left as the backup, it would disable every later swap.
    ReportRestore(report, swap.configSwapped ? RestoreLanguageConfig(swap) : RestoreOutcome());
    EndRun(report, nullptr);
  }
  ReportHelperProcess(report, IsSwitchOn(settings.TERMINATEORMLATCH)
                                  ? EndHelperProcess(NameInForce(settings.names.helperProcess))
                                  : HelperProcessOutcome());
  ReportStartMenu(report, IsSwitchOn(settings.CHECKSTARTPROGRAM)
                              ? RelocateStartMenuFolder(NameInForce(settings.names.startMenuSource),
                                                        NameInForce(settings.names.startMenuFolder))
                              : StartMenuOutcome());
  ReportRestore(report, swap.configSwapped ? RestoreLanguageConfig(swap) : RestoreOutcome());
  EndRun(report, &setup);
}
