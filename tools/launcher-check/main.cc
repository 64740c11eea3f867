// launcher-check: prints what a run of the launcher would do on this system
// without doing any of it, and warns about likely configuration mistakes.
#include <cstdio>
#include <cstring>
#include <string>

#include "launcher-check/check.h"
#include "launcher-check/system_choice.h"
#include "platform/system.h"
#include "resources/version.h"

namespace {

const char kUsage[] =
    "usage: launcher-check [--tail TEXT] [--system NAME] [--language ID] LAUNCHER-OR-INI\n"
    "\n"
    "Shows what the launcher at LAUNCHER (for example D:\\pkg\\Setup.exe), or the\n"
    "one beside the configuration file INI (D:\\pkg\\Setup.ini), would do when run\n"
    "on this system, without changing anything: the paths it derives and the\n"
    "archives it picks, every setting and where it came from, each step and why\n"
    "it would or would not run, the archive entries and where they would land,\n"
    "the language swap, the registry script and installer command, and the setup\n"
    "command line. Every archive variant beside the launcher (.xp, .2k, .sxp,\n"
    "and .s2k) is read in full, whichever one the run picks.\n"
    "\n"
    "  --tail TEXT   the command-line tail to show the setup command with\n"
    "  --system NAME show the run as that system would do it instead of this one:\n"
    "                %s\n"
    "  --language ID show the run for that system language instead of this\n"
    "                system's (0x0411 or 1041)\n"
    "  --help        this text\n"
    "  --version     the version\n"
    "\n"
    "Exit status: 0 nothing to warn about, 1 warnings (listed at the end),\n"
    "2 the configuration cannot be read or the usage is wrong.\n";

int UsageError(const char* what, const char* value) {
  std::fprintf(stderr, "launcher-check: %s: %s\n\n", what, value);
  std::fprintf(stderr, kUsage, SystemNames());
  return kCheckUnreadable;
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearch();
  CheckRequest request;
  bool haveTarget = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(kUsage, SystemNames());
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("launcher-check %s\n", LAUNCHER_VERSION_TEXT);
      return 0;
    }
    SystemDescription system;
    uint16_t language = 0;
    if (std::strcmp(argv[i], "--tail") == 0 && i + 1 < argc) {
      request.tail = argv[++i];
    } else if (std::strcmp(argv[i], "--system") == 0 && i + 1 < argc) {
      if (!SystemByName(argv[++i], &system)) return UsageError("unknown system", argv[i]);
      request.system = argv[i];
    } else if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc) {
      if (!ParseLanguage(argv[++i], &language))
        return UsageError("not a language identifier (0x0411 or 1041)", argv[i]);
      request.language = language;
    } else if (argv[i][0] != '-' && !haveTarget) {
      request.target = argv[i];
      haveTarget = true;
    } else {
      std::fprintf(stderr, kUsage, SystemNames());
      return kCheckUnreadable;
    }
  }
  if (!haveTarget) {
    std::fprintf(stderr, kUsage, SystemNames());
    return kCheckUnreadable;
  }
  std::string report;
  const int status = RunLauncherCheck(request, &report);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return status;
}
