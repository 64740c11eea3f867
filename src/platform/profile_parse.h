// A private-profile (INI) file split into sections and entries the way the
// system's reader splits it. The reader looks values up in this, and
// launcher-check shows from it what the reader passes over.
#ifndef LAUNCHER_PLATFORM_PROFILE_PARSE_H
#define LAUNCHER_PLATFORM_PROFILE_PARSE_H

#include <string>
#include <vector>

struct ProfileEntry {
  std::string name;   // blanks around it removed, cut at a NUL byte
  std::string value;  // the same, quotes kept; empty when there is no '='
  bool hasEquals;     // a line without '=' names a key without a value
  int line;           // 1-based, counting every line end
};

struct ProfileSection {
  std::string name;  // between the brackets, blanks around it removed
  int line;          // 0 for the lines before the first section
  std::vector<ProfileEntry> entries;
};

// Always starts with the unnamed section of the lines before the first
// header (a request for section "" finds that one). A file that starts with
// a Unicode byte-order mark is converted to the ANSI code page first.
std::vector<ProfileSection> ParseProfile(const std::string& fileBytes);

// The blanks the reader trims: TAB, LF, VT, FF, CR, space and 0x1A (an old
// end-of-file mark).
bool IsProfileBlank(char c);
std::string TrimProfileBlanks(const std::string& text);

// Section and key names compare without regard to case, for the letters of
// the ANSI code page too.
bool ProfileNamesEqual(const std::string& a, const std::string& b);

#endif
