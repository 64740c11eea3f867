#include "core/settings.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/profile.h"
#include "platform/environment_expansion.h"

LauncherSettings ReadLauncherSettings(const char* iniPath) {
  LauncherSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  // One byte more than the buffer tells an over-long value from one that
  // just fits.
  char command[kPathBufferSize + 1];
  unsigned long length = ReadProfileString(kSectionParams, "DEFAULTCMD", kDefaultSetupProgram,
                                           command, sizeof(command), iniPath);
  settings.defaultCmdTooLong = length >= kPathBufferSize;
  if (!settings.defaultCmdTooLong) std::memcpy(settings.DEFAULTCMD, command, length + 1);

  settings.COPYFROMZIP = ReadProfileInt(kSectionBefore, "COPYFROMZIP", 0, iniPath);
  settings.COPYSETFROMZIP = ReadProfileInt(kSectionBefore, "COPYSETFROMZIP", 0, iniPath);
  settings.INILANG = ReadProfileInt(kSectionParams, "INILANG", 0, iniPath);
  settings.SLEEP = ReadProfileInt(kSectionParams, "SLEEP", 0, iniPath);
  settings.SLEEPTIME = ReadProfileInt(kSectionParams, "SLEEPTIME", 0, iniPath);
  settings.TERMINATEORMLATCH = ReadProfileInt(kSectionParams, "TERMINATEORMLATCH", 0, iniPath);
  settings.CHECKSTARTPROGRAM = ReadProfileInt(kSectionParams, "CHECKSTARTPROGRAM", 0, iniPath);

  char logFile[kPathBufferSize + 1];
  length = ReadProfileString(kSectionParams, "LOGFILE", "", logFile, sizeof(logFile), iniPath);
  settings.logFileTooLong = length >= kPathBufferSize;
  if (!settings.logFileTooLong) std::memcpy(settings.LOGFILE, logFile, length + 1);
  std::string logPath;
  if (!settings.logFileTooLong && ExpandEnvironmentReferences(settings.LOGFILE, &logPath))
    settings.logPathTooLong = !CopyWhole(settings.logPath, sizeof(settings.logPath), logPath.c_str());
  settings.PASSEXITCODE = ReadProfileInt(kSectionParams, "PASSEXITCODE", 0, iniPath);
  settings.WAITALL = ReadProfileInt(kSectionParams, "WAITALL", 0, iniPath);
  settings.names = ReadNameKeys(iniPath);
  return settings;
}

MutexName ReadMutexName(const char* iniPath, const char* exeFileName) {
  MutexName mutex;
  std::memset(&mutex, 0, sizeof(mutex));
  char value[kPathBufferSize + 1];
  // A sentinel no file can hold tells a missing key from an empty one.
  const char kMissing[] = "\x01";
  const unsigned long length =
      ReadProfileString(kSectionParams, "MUTEXNAME", kMissing, value, sizeof(value), iniPath);
  if (std::strcmp(value, kMissing) == 0) mutex.source = MutexNameSource::kDefault;
  else if (length == 0) mutex.source = MutexNameSource::kEmpty;
  else if (length >= kPathBufferSize) mutex.source = MutexNameSource::kTooLong;
  else if (std::strchr(value, '\\') != nullptr) mutex.source = MutexNameSource::kBackslash;
  else mutex.source = MutexNameSource::kFile;
  const char* name = mutex.source == MutexNameSource::kFile ? value : exeFileName;
  // Both fit: the value was checked, and the file name came in a path buffer.
  std::memcpy(mutex.name, name, std::min(std::strlen(name), sizeof(mutex.name) - 1));
  return mutex;
}
