#include "run/run_report.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/fixed_names.h"
#include "run/launcher_exit.h"
#include "core/system_words.h"
#include "deploy/temporary_files.h"
#include "resources/version.h"

namespace {

using Pieces = std::initializer_list<std::string_view>;

// Every number logged fits 32 bits.
std::string Number(unsigned long value) {
  char text[24];  // room for a 64-bit long too
  std::snprintf(text, sizeof(text), "%lu", value);
  return text;
}

// One log line of the pieces joined. Lines are built here, out of line,
// rather than by chains of string operators at every call: the launcher
// stays small.
std::string Joined(Pieces pieces) {
  std::string text;
  for (std::string_view piece : pieces) text.append(piece.data(), piece.size());
  return text;
}

void Line(const RunReport& report, const char* step, Pieces pieces) {
  if (report.log.path[0] == '\0') return;
  LogStep(report.log, step, Joined(pieces));
}

void SwitchOff(const RunReport& report, const char* step, const char* key, uint32_t value) {
  Line(report, step, {"not run: ", key, " is ", Number(value), ", not 1"});
}

const char* Plural(size_t count, const char* one, const char* many) {
  return count == 1 ? one : many;
}

std::string DescribeStartError(unsigned long error) {
  switch (error) {
    case 2: return " (file not found)";
    case 3: return " (path not found)";
    case 5: return " (access denied)";
    case 193: return " (not a valid program)";
    default: return "";
  }
}

void ReportExtraction(const RunReport& report, const char* step, const ExtractionOutcome& outcome) {
  if (!outcome.opened) {
    if (outcome.archiveFound)
      Line(report, step, {outcome.archivePath, " is no zip archive that can be read: ",
                          "nothing unpacked into ", outcome.destination});
    else
      Line(report, step, {"archive ", outcome.archivePath, " missing: nothing unpacked"});
    return;
  }
  for (const EntryPlan& entry : outcome.skipped) {
    const bool named = !entry.name.empty();
    Line(report, step, {named ? "skipped entry \"" : "skipped an entry", entry.name,
                        named ? "\": " : ": ", DescribeEntrySkip(entry.skip)});
  }
  for (const std::string& target : outcome.namesTaken)
    Line(report, step, {"no free temporary name beside ", target, " in ",
                         Number(kTemporaryNameTries), " tries"});
  for (const std::string& target : outcome.failed) Line(report, step, {"not written: ", target});
  const uint32_t stale = outcome.staleTemporariesRemoved;
  const size_t skipped = outcome.skipped.size();
  const size_t failed = outcome.failed.size();
  Line(report, step,
       {"unpacked ", outcome.archivePath, " into ", outcome.destination, ": ",
        Number(outcome.filesWritten), Plural(outcome.filesWritten, " file written and ", " files written and "),
        Number(outcome.directoriesMade), Plural(outcome.directoriesMade, " folder", " folders"),
        " made",
        skipped != 0 ? ", " + Number(skipped) + Plural(skipped, " entry", " entries") + " skipped"
                     : "",
        failed != 0 ? ", " + Number(failed) + Plural(failed, " file", " files") + " not written"
                    : "",
        stale != 0 ? ", " + Number(stale) + Plural(stale, " temporary file", " temporary files") +
                         " of killed runs removed"
                   : "",
        outcome.endedEarly ? "; an entry's data could not be read, the rest was left" : ""});
}

}  // namespace

const char* DescribeMutexNameSource(MutexNameSource source) {
  switch (source) {
    case MutexNameSource::kDefault: return " (the launcher's file name)";
    case MutexNameSource::kFile: return " (MUTEXNAME)";
    case MutexNameSource::kEmpty: return " (the launcher's file name: MUTEXNAME is empty)";
    case MutexNameSource::kTooLong:
      return " (the launcher's file name: MUTEXNAME is longer than 260 characters)";
    case MutexNameSource::kBackslash:
      return " (the launcher's file name: MUTEXNAME holds a backslash)";
  }
  return "";
}

void StartRunReport(const PathTable& paths, const LauncherSettings& settings,
                    const MutexName& mutex, const char* commandTail, RunReport* report) {
  report->settings = &settings;
  const bool noLog = settings.logFileTooLong || settings.logPathTooLong;
  OpenRunLog(noLog ? nullptr : settings.logPath, &report->log);
  if (report->log.path[0] == '\0') return;
  Line(*report, "start", {"launcher " LAUNCHER_VERSION_TEXT " on ", DescribeRunningSystem(),
                           "; configuration ", paths.iniPath, ", tail \"", commandTail,
                           "\", mutex \"", mutex.name, "\"",
                           DescribeMutexNameSource(mutex.source)});
  const uint32_t made = report->log.foldersMade;
  if (made != 0)
    Line(*report, "start", {"made ", Number(made), Plural(made, " folder", " folders"),
                             " for the log ", report->log.path});
}

void ReportDeployment(const RunReport& report, const DeploymentOutcome& outcome) {
  const bool system = outcome.plan.kind == DeploymentKind::kSystem;
  const char* step = system ? "system deployment" : "profile deployment";
  const LauncherSettings& settings = *report.settings;
  if (!outcome.ran) {
    if (system) SwitchOff(report, step, "COPYFROMZIP", settings.COPYFROMZIP);
    else SwitchOff(report, step, "COPYSETFROMZIP", settings.COPYSETFROMZIP);
    return;
  }
  if (outcome.extractions.empty())
    Line(report, step, {"nothing unpacked: ", outcome.plan.noDestination});
  for (const ExtractionOutcome& extraction : outcome.extractions)
    ReportExtraction(report, step, extraction);
  if (!outcome.plan.leftOut.empty()) Line(report, step, {"left out ", outcome.plan.leftOut});
}

void ReportLanguageSwap(const RunReport& report, const LanguageSwapOutcome& outcome) {
  const LanguageSwapPlan& plan = outcome.plan;
  const char* step = "language swap";
  if (plan.undoInterrupted && outcome.undone)
    Line(report, step,
         {"put back the package's own file from ", plan.backupPath, ": an earlier run ended while ",
          plan.strandedCopyPath, " stood in for it"});
  switch (outcome.result) {
    case SwapResult::kUndoFailed:
      Line(report, step, {"not swapped: an earlier run ended while ", plan.strandedCopyPath,
                          " stood in for ", plan.configPath, ", and ", plan.backupPath,
                          " could not be put back"});
      break;
    case SwapResult::kSwapped:
      Line(report, step, {"language copy ", plan.copyPath, " stands in for ", plan.configPath,
                          "; the package's own file waits as ", plan.backupPath});
      break;
    case SwapResult::kBlocked:
      if (plan.block == SwapBlock::kNoLanguages)
        Line(report, step, {"nothing to do: INILANG is 0"});
      else if (plan.block == SwapBlock::kNameRefused)
        Line(report, step, {"not run: SETUPCONFIG is refused: ",
                            report.settings->names.setupConfig.refusal});
      else
        Line(report, step, {"not swapped: ", DescribeSwapBlock(plan)});
      break;
    case SwapResult::kRenameFailed:
      Line(report, step, {"not swapped: ", plan.configPath, " could not be moved aside"});
      break;
    case SwapResult::kCopyFailed:
      Line(report, step, {"not swapped: ", plan.copyPath,
                          " could not be copied; the package's own file is back"});
      break;
    case SwapResult::kCopyFailedLeftAside:
      Line(report, step, {plan.copyPath, " could not be copied; the package's own file waits as ",
                          plan.backupPath, " until the restore"});
      break;
  }
}

void ReportSetup(const RunReport& report, const SetupOutcome& outcome) {
  const SetupPlan& plan = outcome.plan;
  const char* step = "setup";
  const char* value = report.settings->DEFAULTCMD;
  switch (plan.block) {
    case SetupBlock::kOwnPathUnknown:
      Line(report, step, {"not started: the launcher's own path is unknown; the launcher ends here"});
      return;
    case SetupBlock::kDefaultCmdTooLong:
      Line(report, step, {"not started: DEFAULTCMD is longer than 260 characters"});
      return;
    case SetupBlock::kDefaultCmdEmpty:
      Line(report, step, {"not started: DEFAULTCMD is empty"});
      return;
    case SetupBlock::kUnclosedQuote:
      Line(report, step, {"not started: DEFAULTCMD ", value, " opens a quote it never closes"});
      return;
    case SetupBlock::kOutsideDirectory:
      Line(report, step, {"not started: DEFAULTCMD ", value,
                          " names a program outside the launcher's directory"});
      return;
    case SetupBlock::kLauncherItself:
      Line(report, step, {"not started: DEFAULTCMD ", value, " names the launcher itself"});
      return;
    case SetupBlock::kCommandTooLong:
      Line(report, step, {"not started: the setup path or command is too long"});
      return;
    case SetupBlock::kNone: break;
  }
  if (!outcome.started) {
    const unsigned long error = outcome.process.startError;
    Line(report, step, {"not started: cannot start ", plan.program, " (command line: ",
                        plan.command, "): ",
                        error != 0 ? "error " + Number(error) + DescribeStartError(error)
                                   : std::string("no error code known")});
    return;
  }
  const ChildProcess& setup = outcome.process;
  const std::string ran =
      Joined({"ran ", plan.program, " (command line: ", plan.command, "), exit code ",
              setup.exitCodeKnown ? Number(setup.exitCode) : "unknown"});
  const char* own = "; waited for setup's own process only";
  switch (setup.treeWatch) {
    case TreeWatch::kNotAsked:
      Line(report, step, {ran, own, " (WAITALL is ", Number(report.settings->WAITALL), ", not 1)"});
      return;
    case TreeWatch::kWatched:
      Line(report, step, {ran, "; waited for setup and every process started from it"});
      return;
    case TreeWatch::kNoJobObjects:
      Line(report, step, {ran, own, ": this Windows has no job objects"});
      return;
    case TreeWatch::kNotInJob:
      Line(report, step, {ran, own, ": setup could not be put in a job of its own (error ",
                          Number(setup.treeError), "; the launcher may run in a job already)"});
      return;
    case TreeWatch::kNoSubreaper:
      Line(report, step, {ran, own, ": the kernel cannot make the launcher a subreaper"});
      return;
  }
}

void ReportPause(const RunReport& report, const PauseOutcome& outcome) {
  if (outcome.ran) Line(report, "pause", {"slept ", Number(outcome.milliseconds), " ms"});
  else SwitchOff(report, "pause", "SLEEP", report.settings->SLEEP);
}

void ReportRegistry(const RunReport& report, const RegistryStepOutcome& outcome) {
  const char* step = "registry";
  const RegistryScriptPlan& plan = outcome.plan;
  for (const LeftOutEntry& entry : plan.script.leftOut)
    Line(report, step, {entry.entry, " left out: ", entry.reason});
  const char* folder = outcome.scriptPath.empty() || outcome.folderRemoved
                           ? ""
                           : "; its folder could not be removed";
  switch (outcome.result) {
    case RegistryScriptOutcome::kSkipped:
      Line(report, step, {"nothing to do (TEMP unset, or ADDREG and DELREG 0)"});
      return;
    case RegistryScriptOutcome::kInstallerRun:
      Line(report, step, {"script ", outcome.scriptPath, " installed by ", plan.installerProgram,
                          " and deleted", folder});
      return;
    case RegistryScriptOutcome::kInstallerNotStarted:
      Line(report, step, {"installer ",
                          plan.installerProgram.empty() ? "unknown or its line too long"
                                                        : plan.installerProgram,
                          " not started; script ", outcome.scriptPath, " deleted", folder});
      return;
    case RegistryScriptOutcome::kNoPrivateFolder:
      Line(report, step, {"no folder of our own could be made in ", plan.temp,
                          ": script not written, the launcher ends here"});
      return;
    case RegistryScriptOutcome::kScriptNotWritten:
      Line(report, step, {"script ", outcome.scriptPath.empty() ? plan.scriptPath : outcome.scriptPath,
                          " not written: the launcher ends here", folder});
      return;
  }
}

void ReportHelperProcess(const RunReport& report, const HelperProcessOutcome& outcome) {
  const char* step = "helper process";
  if (!outcome.ran)
    SwitchOff(report, step, "TERMINATEORMLATCH", report.settings->TERMINATEORMLATCH);
  else if (outcome.imageName == nullptr)
    Line(report, step, {"not run: HELPERPROCESS is refused: ",
                        report.settings->names.helperProcess.refusal});
  else if (outcome.result == kTerminated)
    Line(report, step, {"ended ", outcome.imageName});
  else if (outcome.result == kNoMatchingProcess)
    Line(report, step, {"no ", outcome.imageName, " running"});
  else
    Line(report, step, {"did not end ", outcome.imageName, ", result ",
                        Number(static_cast<unsigned>(outcome.result))});
}

void ReportStartMenu(const RunReport& report, const StartMenuOutcome& outcome) {
  const char* step = "start menu";
  const StartMenuPlan& plan = outcome.plan;
  if (!outcome.ran) {
    SwitchOff(report, step, "CHECKSTARTPROGRAM", report.settings->CHECKSTARTPROGRAM);
    return;
  }
  const NameKeys& names = report.settings->names;
  switch (plan.block) {
    case RelocationBlock::kNameRefused:
      Line(report, step, {"not run: ",
                          names.startMenuSource.source == NameSource::kRefused
                              ? "STARTMENUSOURCE is refused: " : "STARTMENUFOLDER is refused: ",
                          names.startMenuSource.source == NameSource::kRefused
                              ? names.startMenuSource.refusal : names.startMenuFolder.refusal});
      return;
    case RelocationBlock::kNoProgramsFolder:
      Line(report, step, {"nothing moved: this system has no all-users programs folder"});
      return;
    case RelocationBlock::kTargetTooLong:
      Line(report, step, {"nothing moved: the folder's path in the programs folder is too long"});
      return;
    case RelocationBlock::kSourceMissing:
      Line(report, step, {"nothing moved: ", plan.source, " is not there"});
      return;
    case RelocationBlock::kSourceIsLink:
      Line(report, step, {"nothing moved: ", plan.source, " is a link"});
      return;
    case RelocationBlock::kSourceNotAdministrators:
      Line(report, step, {"nothing moved: ", plan.source,
                          " was not made by an administrator (its owner is another user)"});
      return;
    case RelocationBlock::kTargetExists:
      Line(report, step, {"nothing moved: ", plan.target, " exists already"});
      return;
    case RelocationBlock::kNone: break;
  }
  for (const std::string& link : outcome.linksLeft)
    Line(report, step, {"left ", link, " where it is: it is a link"});
  Line(report, step, {outcome.moved ? "moved " : "moved only part of ", plan.source, " into ",
                      plan.target, outcome.sourceRemoved ? "" : "; the source folder stays"});
}

void ReportRestore(const RunReport& report, const RestoreOutcome& outcome) {
  if (!outcome.ran) Line(report, "restore", {"nothing to put back"});
  else if (outcome.restored) Line(report, "restore", {"put back ", outcome.configPath});
  else Line(report, "restore", {"could not put back ", outcome.configPath});
}

void ReportRefused(const RunReport& report, uint32_t status) {
  Line(report, "single instance",
       {"another installation is in progress (another launcher holds the mutex): refused, "
        "exit status ", Number(status),
        status == kExitAnotherInstallation ? "" : " (PASSEXITCODE is not 1)"});
}

void ReportEnd(const RunReport& report, uint32_t status, EndReason reason) {
  const char* why = reason == EndReason::kSetupExitCode     ? " (setup's exit code)"
                    : reason == EndReason::kSetupNotStarted ? " (setup was not started)"
                                                            : "";
  Line(report, "end", {"exit status ", Number(status), why});
}
