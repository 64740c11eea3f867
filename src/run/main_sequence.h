#ifndef LAUNCHER_RUN_MAIN_SEQUENCE_H
#define LAUNCHER_RUN_MAIN_SEQUENCE_H

// The whole run: preparation, the setup program and the follow-up steps.
// Never returns; the process ends with status 1.
[[noreturn]] void RunLauncher(const char* commandTail);

#endif
