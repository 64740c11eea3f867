// launcher-check: what a run of the launcher would do on this system, worked
// out with the launcher's own code but without changing anything.
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_CHECK_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_CHECK_H

#include <string>

// Exit statuses.
enum : int {
  kCheckClean = 0,        // nothing to warn about
  kCheckWarnings = 1,     // likely mistakes found
  kCheckUnreadable = 2,   // the configuration cannot be read (or bad usage)
};

struct CheckRequest {
  std::string target;  // the launcher's path, or its configuration file's
  std::string tail;    // command-line tail the setup command is shown with
  // The system and language the run is shown for: a --system name
  // (system_choice.h), empty for this system; a language identifier, or -1
  // for this system's.
  std::string system;
  long language = -1;
};

// Writes the report to `out` and returns one of the statuses above.
int RunLauncherCheck(const CheckRequest& request, std::string* out);

// The launcher's absolute path in drive form for `target`: a path ending in
// ".ini" names the configuration, whose launcher is taken to be the ".exe"
// of the same name. Empty when it cannot be made absolute.
std::string LauncherPathFor(const std::string& target);

#endif
