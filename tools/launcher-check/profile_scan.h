// The layout of a configuration file as text: its sections and key lines in
// file order, split by the same line rules the profile reader follows. The
// values themselves are always taken from the reader; this only shows what
// the reader passes over (duplicates, misplaced or misspelt keys).
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_PROFILE_SCAN_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_PROFILE_SCAN_H

#include <string>
#include <vector>

struct ScannedKey {
  std::string name;   // blanks around it removed
  std::string value;  // blanks around it removed, quotes kept
  bool hasEquals;     // a line without '=' names a key without a value
  int line;           // 1-based
};

struct ScannedSection {
  std::string name;  // as written between the brackets; "" before any section
  int line;          // 0 for the lines before the first section
  std::vector<ScannedKey> keys;
};

// Lines starting with ';' are comments and left out.
std::vector<ScannedSection> ScanProfileText(const std::string& contents);

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);
std::string AsciiUpper(std::string text);

// Levenshtein distance over ASCII letters folded to upper case.
size_t EditDistance(const std::string& a, const std::string& b);

#endif
