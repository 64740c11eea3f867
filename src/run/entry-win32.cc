// The Windows entry point: a GUI-subsystem program that never opens a window.
#include <windows.h>

#include <cstdlib>

#include "core/command_tail.h"
#include "run/main_sequence.h"
#include "platform/system.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  // The tail is taken from the raw command line rather than the runtime's
  // lpCmdLine, so that it follows the ANSI lead bytes exactly.
  RunLauncher(SkipProgramName(GetCommandLineA()));
}

// The runtime's default terminate handler prints the uncaught exception's
// demangled type to a standard error that a GUI program does not have, and
// brings the whole C++ demangler (about 37 KB) with it. Ending at once is
// what that handler does after its message anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
