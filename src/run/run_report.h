// The run log's lines, made from the outcomes the steps return: the one
// place that says in words what a run did.
#ifndef LAUNCHER_RUN_RUN_REPORT_H
#define LAUNCHER_RUN_RUN_REPORT_H

#include <cstdint>

#include "core/path_table.h"
#include "run/run_log.h"
#include "core/settings.h"
#include "run/setup_command.h"
#include "deploy/deployment.h"
#include "housekeeping/process_termination.h"
#include "housekeeping/start_menu.h"
#include "locale/language_swap.h"
#include "registry/registry_script.h"

struct RunReport {
  RunLog log;
  const LauncherSettings* settings;  // for the values that switch steps off
};

struct PauseOutcome {
  bool ran = false;  // false: switched off
  uint32_t milliseconds = 0;
};

// Where the mutex's name came from, in words after the name (" (MUTEXNAME)").
const char* DescribeMutexNameSource(MutexNameSource source);

// Opens the log the settings name and writes the run's first line.
void StartRunReport(const PathTable& paths, const LauncherSettings& settings,
                    const MutexName& mutex, const char* commandTail, RunReport* report);

void ReportDeployment(const RunReport& report, const DeploymentOutcome& outcome);
void ReportLanguageSwap(const RunReport& report, const LanguageSwapOutcome& outcome);
void ReportSetup(const RunReport& report, const SetupOutcome& outcome);
void ReportPause(const RunReport& report, const PauseOutcome& outcome);
void ReportRegistry(const RunReport& report, const RegistryStepOutcome& outcome);
void ReportHelperProcess(const RunReport& report, const HelperProcessOutcome& outcome);
void ReportStartMenu(const RunReport& report, const StartMenuOutcome& outcome);
void ReportRestore(const RunReport& report, const RestoreOutcome& outcome);
// Another launcher holds the mutex: this run ends with `status`.
void ReportRefused(const RunReport& report, uint32_t status);

enum class EndReason {
  kFixed,            // status 1, whatever happened
  kSetupExitCode,    // setup's own exit code
  kSetupNotStarted,  // why setup never started
};
void ReportEnd(const RunReport& report, uint32_t status, EndReason reason);

#endif
