#include "core/run_report.h"

#include <string>

#include "core/fixed_names.h"

namespace {

std::string Number(unsigned long long value) { return std::to_string(value); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void Line(const RunReport& report, const char* step, const std::string& text) {
  LogStep(report.log, step, text);
}

std::string SwitchOff(const char* key, uint32_t value) {
  return std::string("not run: ") + key + " is " + Number(value) + ", not 1";
}

std::string Count(uint32_t count, const char* one, const char* many) {
  return Number(count) + " " + (count == 1 ? one : many);
}

void ReportExtraction(const RunReport& report, const char* step, const ExtractionOutcome& outcome) {
  if (!outcome.opened) {
    Line(report, step,
         outcome.archiveFound
             ? outcome.archivePath + " is no zip archive that can be read: nothing unpacked into " +
                   outcome.destination
             : "archive " + outcome.archivePath + " missing: nothing unpacked");
    return;
  }
  for (const EntryPlan& entry : outcome.skipped)
    Line(report, step,
         (entry.name.empty() ? std::string("skipped an entry")
                             : "skipped entry " + Quoted(entry.name)) +
             ": " + DescribeEntrySkip(entry.skip));
  for (const std::string& target : outcome.failed) Line(report, step, "not written: " + target);
  std::string summary = "unpacked " + outcome.archivePath + " into " + outcome.destination + ": " +
                        Count(outcome.filesWritten, "file", "files") + " and " +
                        Count(outcome.directories, "folder", "folders") + " written";
  if (!outcome.skipped.empty())
    summary += ", " + Count(static_cast<uint32_t>(outcome.skipped.size()), "entry", "entries") +
               " skipped";
  if (!outcome.failed.empty())
    summary += ", " + Count(static_cast<uint32_t>(outcome.failed.size()), "file", "files") +
               " not written";
  if (outcome.endedEarly) summary += "; an entry's data could not be read, the rest was left";
  Line(report, step, summary);
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

const char* RegistryResultText(RegistryScriptOutcome result) {
  switch (result) {
    case RegistryScriptOutcome::kSkipped:
      return "nothing to do (TEMP unset, or ADDREG and DELREG 0)";
    case RegistryScriptOutcome::kInstallerRun: return "script installed and deleted";
    case RegistryScriptOutcome::kInstallerNotStarted:
      return "installer not started; script deleted";
    case RegistryScriptOutcome::kScriptNotWritten:
      return "script not written: the launcher ends here";
  }
  return "";
}

}  // namespace

void StartRunReport(const PathTable& paths, const LauncherSettings& settings,
                    const char* commandTail, RunReport* report) {
  report->settings = &settings;
  OpenRunLog(settings.logFileTooLong ? nullptr : settings.LOGFILE, &report->log);
  Line(*report, "start",
       "configuration " + std::string(paths.iniPath) + ", tail " + Quoted(commandTail));
}

void ReportDeployment(const RunReport& report, const DeploymentOutcome& outcome) {
  const bool system = outcome.plan.kind == DeploymentKind::kSystem;
  const char* step = system ? "system deployment" : "profile deployment";
  if (!outcome.ran) {
    const LauncherSettings& settings = *report.settings;
    Line(report, step,
         system ? SwitchOff("COPYFROMZIP", settings.COPYFROMZIP)
                : SwitchOff("COPYSETFROMZIP", settings.COPYSETFROMZIP));
    return;
  }
  if (outcome.extractions.empty())
    Line(report, step, std::string("nothing unpacked: ") + outcome.plan.noDestination);
  for (const ExtractionOutcome& extraction : outcome.extractions)
    ReportExtraction(report, step, extraction);
}

void ReportLanguageSwap(const RunReport& report, const LanguageSwapOutcome& outcome) {
  const LanguageSwapPlan& plan = outcome.plan;
  std::string text;
  switch (outcome.result) {
    case SwapResult::kSwapped:
      text = "swapped in the language copy; the package's own file waits as " +
             std::string(plan.backupPath);
      break;
    case SwapResult::kBlocked:
      text = plan.block == SwapBlock::kNoLanguages ? "nothing to do: INILANG is 0"
                                                   : "not swapped: " + DescribeSwapBlock(plan);
      break;
    case SwapResult::kRenameFailed:
      text = "not swapped: " + std::string(plan.configPath) + " could not be moved aside";
      break;
    case SwapResult::kCopyFailed:
      text = "not swapped: " + std::string(plan.copyPath) +
             " could not be copied; the package's own file is back";
      break;
    case SwapResult::kCopyFailedLeftAside:
      text = std::string(plan.copyPath) + " could not be copied; the package's own file waits as " +
             plan.backupPath + " until the restore";
      break;
  }
  Line(report, "language swap", text);
}

void ReportSetup(const RunReport& report, const SetupOutcome& outcome) {
  const SetupPlan& plan = outcome.plan;
  switch (plan.block) {
    case SetupBlock::kOwnPathUnknown:
      Line(report, "setup",
           "not started: the launcher's own path is unknown; the launcher ends here");
      return;
    case SetupBlock::kDefaultCmdTooLong:
      Line(report, "setup", "not started: DEFAULTCMD is longer than 260 characters");
      return;
    case SetupBlock::kCommandTooLong:
      Line(report, "setup", "not started: the setup path or command is too long");
      return;
    case SetupBlock::kNone: break;
  }
  if (!outcome.started) {
    Line(report, "setup", "not started: cannot start " + Quoted(plan.command));
    return;
  }
  const ChildProcess& setup = outcome.process;
  Line(report, "setup",
       "ran " + Quoted(plan.command) + ", exit code " +
           (setup.exitCodeKnown ? Number(setup.exitCode) : std::string("unknown")) + "; " +
           WaitedForText(setup, report.settings->WAITALL));
}

void ReportPause(const RunReport& report, const PauseOutcome& outcome) {
  Line(report, "pause",
       outcome.ran ? "slept " + Number(outcome.milliseconds) + " ms"
                   : SwitchOff("SLEEP", report.settings->SLEEP));
}

void ReportRegistry(const RunReport& report, const RegistryStepOutcome& outcome) {
  for (const LeftOutEntry& entry : outcome.plan.script.leftOut)
    Line(report, "registry", entry.entry + " left out: " + entry.reason);
  Line(report, "registry", RegistryResultText(outcome.result));
}

void ReportHelperProcess(const RunReport& report, const HelperProcessOutcome& outcome) {
  const char* step = "helper process";
  if (!outcome.ran) {
    Line(report, step, SwitchOff("TERMINATEORMLATCH", report.settings->TERMINATEORMLATCH));
  } else if (outcome.result == kTerminated) {
    Line(report, step, std::string("ended ") + kHelperImageName);
  } else if (outcome.result == kNoMatchingProcess) {
    Line(report, step, std::string("no ") + kHelperImageName + " running");
  } else {
    Line(report, step, "not ended, result " + Number(static_cast<unsigned>(outcome.result)));
  }
}

void ReportStartMenu(const RunReport& report, const StartMenuOutcome& outcome) {
  const char* step = "start menu";
  const StartMenuPlan& plan = outcome.plan;
  if (!outcome.ran) {
    Line(report, step, SwitchOff("CHECKSTARTPROGRAM", report.settings->CHECKSTARTPROGRAM));
    return;
  }
  switch (plan.block) {
    case RelocationBlock::kNoProgramsFolder:
      Line(report, step, "nothing moved: this system has no all-users programs folder");
      return;
    case RelocationBlock::kTargetTooLong:
      Line(report, step, "nothing moved: the folder's path in the programs folder is too long");
      return;
    case RelocationBlock::kSourceMissing:
      Line(report, step, std::string("nothing moved: ") + plan.source + " is not there");
      return;
    case RelocationBlock::kTargetExists:
      Line(report, step, std::string("nothing moved: ") + plan.target + " exists already");
      return;
    case RelocationBlock::kNone: break;
  }
  Line(report, step,
       (outcome.moved ? "moved " : "moved only part of ") + std::string(plan.source) + " into " +
           plan.target + (outcome.sourceRemoved ? "" : "; the source folder stays"));
}

void ReportRestore(const RunReport& report, const RestoreOutcome& outcome) {
  Line(report, "restore",
       !outcome.ran       ? std::string("nothing to put back")
       : outcome.restored ? "put back " + std::string(outcome.configPath)
                          : "could not put back " + std::string(outcome.configPath));
}

void ReportEnd(const RunReport& report, uint32_t status, bool passedOn) {
  Line(report, "end", "exit status " + Number(status) + (passedOn ? " (setup's exit code)" : ""));
}
