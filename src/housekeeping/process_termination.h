#ifndef LAUNCHER_HOUSEKEEPING_PROCESS_TERMINATION_H
#define LAUNCHER_HOUSEKEEPING_PROCESS_TERMINATION_H

// Ends the first running process whose image name is `imageName`; returns 0
// or a numeric failure code.
int TerminateProcessByImageName(const char* imageName);

#endif
