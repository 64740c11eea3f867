// Which build of the launcher a package ships: read from the program's own
// header, since a renamed Setup.exe looks the same either way.
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_LAUNCHER_BUILD_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_LAUNCHER_BUILD_H

#include <cstdint>
#include <string>

enum class LauncherBuild {
  kMissing,  // no file of that name
  kNotPe,    // a file, but no Windows program
  kI686,     // machine 0x14c: redirected on 64-bit Windows
  kX8664,    // machine 0x8664
  kOther,    // a Windows program for another machine
};

// Reads the PE header of the program at `path` (drive form); `machine` gets
// the header's Machine field when there is one.
LauncherBuild DetectLauncherBuild(const std::string& path, uint16_t* machine = nullptr);

// "the i686 build", ... for the report.
std::string DescribeLauncherBuild(LauncherBuild build, uint16_t machine);

#endif
