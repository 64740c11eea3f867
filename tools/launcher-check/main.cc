// launcher-check: prints what a run of the launcher would do on this system
// without doing any of it, and warns about likely configuration mistakes.
#include <cstdio>
#include <cstring>
#include <string>

#include "launcher-check/check.h"
#include "platform/system.h"
#include "resources/version.h"

namespace {

const char kUsage[] =
    "usage: launcher-check [--tail TEXT] LAUNCHER-OR-INI\n"
    "\n"
    "Shows what the launcher at LAUNCHER (for example D:\\pkg\\Setup.exe), or the\n"
    "one beside the configuration file INI (D:\\pkg\\Setup.ini), would do when run\n"
    "on this system, without changing anything: the paths it derives and the\n"
    "archives it picks, every setting and where it came from, each step and why\n"
    "it would or would not run, the archive entries and where they would land,\n"
    "the language swap, the registry script and installer command, and the setup\n"
    "command line.\n"
    "\n"
    "  --tail TEXT   the command-line tail to show the setup command with\n"
    "  --help        this text\n"
    "  --version     the version\n"
    "\n"
    "Exit status: 0 nothing to warn about, 1 warnings (listed at the end),\n"
    "2 the configuration cannot be read or the usage is wrong.\n";

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearch();
  CheckRequest request;
  bool haveTarget = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("launcher-check %s\n", LAUNCHER_VERSION_TEXT);
      return 0;
    }
    if (std::strcmp(argv[i], "--tail") == 0 && i + 1 < argc) {
      request.tail = argv[++i];
    } else if (argv[i][0] != '-' && !haveTarget) {
      request.target = argv[i];
      haveTarget = true;
    } else {
      std::fputs(kUsage, stderr);
      return kCheckUnreadable;
    }
  }
  if (!haveTarget) {
    std::fputs(kUsage, stderr);
    return kCheckUnreadable;
  }
  std::string report;
  const int status = RunLauncherCheck(request, &report);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return status;
}
