#ifndef LAUNCHER_HOUSEKEEPING_PROCESS_TERMINATION_H
#define LAUNCHER_HOUSEKEEPING_PROCESS_TERMINATION_H

#include "platform/process.h"

// Result codes of TerminateProcessByImageName.
enum : int {
  kTerminated = 0,
  kTerminateFailed = 602,         // opened for ending, but it would not end
  kNoMatchingProcess = 603,
  kCannotOpenMatch = 604,         // the first match could not be opened
  kProcessStatusNotLoaded = 605,
  kVersionQueryFailed = 606,
  kUnknownPlatformFamily = 607,
  kBadImageName = 632,            // empty, or longer than 260 characters
  kProcessStatusIncomplete = 700,
  kEnumProcessesFailed = 701,
  kToolHelpNotLoaded = 702,
  kToolHelpIncomplete = 703,
  kSnapshotFailed = 704,
};

// Ends the first running process whose image name is `imageName` and
// returns one of the codes above. Only the first match in listing order is
// acted on, whatever happens to it. On the NT family only a process's
// executable counts and names are compared with the letters a-z
// upper-cased; on the Windows 95 family every module of a process counts
// and module names are compared as reported against the upper-cased
// `imageName`.
int TerminateProcessByImageName(const char* imageName);

// The same over the given system functions.
int TerminateProcessByImageNameWith(const char* imageName, const ProcessSystem& system);

// The step's result as the run reports it.
struct HelperProcessOutcome {
  bool ran = false;                 // false: switched off
  const char* imageName = nullptr;  // null: the configured name was refused
  int result = kNoMatchingProcess;  // one of the codes above
};

// The step: ends the first running `imageName` (null: nothing is done).
HelperProcessOutcome EndHelperProcess(const char* imageName);

#endif
