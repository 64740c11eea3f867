// The optional run log: one line per step, appended to the file that the
// configuration names, so that a packager can see afterwards what a silent
// run did. Without a log file nothing at all is written.
#ifndef LAUNCHER_RUN_RUN_LOG_H
#define LAUNCHER_RUN_RUN_LOG_H

#include <cstdint>
#include <string>

#include "core/path_buffer.h"

struct RunLog {
  char path[kPathBufferSize];  // empty: logging is off
  uint32_t foldersMade;        // folders of the path made when it opened
};

// Logging on for `path` (off when it is null or empty); the folders of the
// path that are missing are made.
void OpenRunLog(const char* path, RunLog* log);

// Appends "<local time> <step>: <text>" and a CR LF. The file is opened and
// closed for each line, so that nothing is held open while setup runs and a
// line written stays written whatever happens next. A line that cannot be
// written is dropped silently: the log never changes the run.
void LogStep(const RunLog& log, const char* step, const std::string& text);

// The line LogStep writes, without its time and line end; control
// characters in `text` become '?' so that a step stays on one line.
std::string FormatLogLine(const char* step, const std::string& text);

#endif
