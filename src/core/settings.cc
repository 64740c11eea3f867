#include "core/settings.h"

#include <cstring>

#include "platform/profile.h"

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
  settings.PASSEXITCODE = ReadProfileInt(kSectionParams, "PASSEXITCODE", 0, iniPath);
  settings.WAITALL = ReadProfileInt(kSectionParams, "WAITALL", 0, iniPath);
  return settings;
}
