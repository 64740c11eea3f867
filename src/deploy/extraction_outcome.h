// The record of one zip extraction, filled in by the extraction loop and by
// the pending files it puts in place.
#ifndef LAUNCHER_DEPLOY_EXTRACTION_OUTCOME_H
#define LAUNCHER_DEPLOY_EXTRACTION_OUTCOME_H

#include <cstdint>
#include <string>
#include <vector>

#include "deploy/entry_plan.h"

// What one extraction did. Only the entries left out or not written are
// kept, so memory stays flat however many entries land.
struct ExtractionOutcome {
  std::string archivePath;
  std::string destination;
  bool opened = false;        // false: no zip archive could be opened there
  bool archiveFound = false;  // when not opened: something of that name is there
  uint32_t filesWritten = 0;
  uint32_t directories = 0;         // directory entries made or found
  uint32_t directoriesMade = 0;     // folders that were not there and were made
  std::vector<EntryPlan> skipped;   // left out by their plan
  std::vector<std::string> failed;  // targets not written: damaged data, or refused
  bool endedEarly = false;          // an entry's data could not be opened
  // Targets not written because every temporary name tried beside them was
  // taken (they are among `failed` too).
  std::vector<std::string> namesTaken;
  // Temporaries that killed runs had left in the folders written into.
  uint32_t staleTemporariesRemoved = 0;
};

#endif
