#ifndef LAUNCHER_CORE_COMMAND_TAIL_H
#define LAUNCHER_CORE_COMMAND_TAIL_H

// The command-line tail: the process command line without the program name
// and the blanks after it. Quotes toggle while the name is read; outside
// them a byte from 0x01 to 0x20 ends it; a lead byte of the ANSI code page
// takes its trail byte along. What remains is returned unchanged.
const char* SkipProgramName(const char* commandLine);

#endif
