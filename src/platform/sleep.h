#ifndef LAUNCHER_PLATFORM_SLEEP_H
#define LAUNCHER_PLATFORM_SLEEP_H

#include <cstdint>

// Pauses the launcher; 0xFFFFFFFF pauses for good, as Windows' INFINITE.
void SleepMilliseconds(uint32_t milliseconds);

#endif
