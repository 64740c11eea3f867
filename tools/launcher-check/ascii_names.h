// Name helpers of launcher-check: its known keys are plain ASCII, and
// misspellings are judged on them. (The file's layout comes from the
// reader's own ParseProfile.)
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_PROFILE_SCAN_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_PROFILE_SCAN_H

#include <string>

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);
std::string AsciiUpper(std::string text);

// Levenshtein distance over ASCII letters folded to upper case.
size_t EditDistance(const std::string& a, const std::string& b);

#endif
