// The configuration values read once, before any step runs.
#ifndef LAUNCHER_CORE_SETTINGS_H
#define LAUNCHER_CORE_SETTINGS_H

#include <cstdint>

#include "core/fixed_names.h"
#include "core/name_keys.h"
#include "core/path_buffer.h"

// Fields are named after their keys.
struct LauncherSettings {
  char DEFAULTCMD[kPathBufferSize];
  // True when DEFAULTCMD is longer than its buffer: the setup program is
  // then not started rather than started under a cut name.
  bool defaultCmdTooLong;
  uint32_t COPYFROMZIP;
  uint32_t COPYSETFROMZIP;
  uint32_t INILANG;
  uint32_t SLEEP;
  uint32_t SLEEPTIME;
  uint32_t TERMINATEORMLATCH;
  uint32_t CHECKSTARTPROGRAM;
  // Diagnostics, off unless set: the file that gets one line per step
  // (empty: no log at all), and whether the launcher exits with the setup
  // program's exit code (exactly 1) instead of 1.
  char LOGFILE[kPathBufferSize];
  // True when LOGFILE is longer than its buffer: nothing is logged rather
  // than written to some other file under a cut name.
  bool logFileTooLong;
  // LOGFILE with its %NAME% references expanded from the environment: the
  // file the log goes to (empty: no log). Expanded longer than a path
  // buffer: no log, and `logPathTooLong` says so.
  char logPath[kPathBufferSize];
  bool logPathTooLong;
  uint32_t PASSEXITCODE;
  // Exactly 1: the launcher waits for every process setup starts, and those
  // they start, not only for setup's own process.
  uint32_t WAITALL;
  // HELPERPROCESS, SETUPCONFIG, STARTMENUSOURCE, STARTMENUFOLDER.
  NameKeys names;
};

// Reads the up-front keys from `iniPath`; anything missing takes its default.
LauncherSettings ReadLauncherSettings(const char* iniPath);

// Where the single-instance mutex's name came from.
enum class MutexNameSource {
  kDefault,     // no MUTEXNAME: the launcher's file name
  kFile,        // MUTEXNAME as written
  kEmpty,       // MUTEXNAME empty: an unnamed mutex would hold nobody back
  kTooLong,     // longer than a path buffer holds
  kBackslash,   // "\" would make it a path in the system's object namespace
};

struct MutexName {
  char name[kPathBufferSize];
  MutexNameSource source;
};

// MUTEXNAME of [PARAMS], the one key read before the single-instance check;
// the launcher's file name when it is missing or unusable (`source` says
// why).
MutexName ReadMutexName(const char* iniPath, const char* exeFileName);

// On/off values switch a step on only when they equal 1 exactly.
inline bool IsSwitchOn(uint32_t value) { return value == 1; }

#endif
