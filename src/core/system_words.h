// The running system in words, for the log and launcher-check.
#ifndef LAUNCHER_CORE_SYSTEM_WORDS_H
#define LAUNCHER_CORE_SYSTEM_WORDS_H

#include <string>

#include "platform/system.h"

// "Windows XP (5.1)", "Windows 98 (4.10)", "Windows NT 6.1"; null: unknown.
std::string DescribeWindowsVersion(const OsVersion* version);

// The version and the system's width: "Windows XP (5.1), 32-bit".
std::string DescribeRunningSystem();

#endif
