// The Windows entry point: a GUI-subsystem program that never opens a window.
#include <windows.h>

#include "core/command_tail.h"
#include "run/main_sequence.h"
#include "platform/system.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  // The tail is taken from the raw command line rather than the runtime's
  // lpCmdLine, so that it follows the ANSI lead bytes exactly.
  RunLauncher(SkipProgramName(GetCommandLineA()));
}
