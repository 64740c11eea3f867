// The private-profile (INI) rules as portable logic over a file's bytes:
// the file split into sections and entries the way the system's reader
// splits it, and the lookups over it. The POSIX layer reads its INI files
// with these, launcher-check shows from them what the reader passes over,
// and tests hold them against the real Windows functions.
#ifndef LAUNCHER_PLATFORM_PROFILE_PARSE_H
#define LAUNCHER_PLATFORM_PROFILE_PARSE_H

#include <cstdint>
#include <string>
#include <vector>

// --- Parsing -----------------------------------------------------------------

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

// --- Lookups -----------------------------------------------------------------

// Finds `key` in the first section named `section` (blanks around the
// requested names ignored, case ignored). False when the section or key is
// missing or the key's first line has no '='. The value keeps its quotes.
bool FindProfileValue(const std::string& contents, const char* section,
                      const char* key, std::string* value);

// The key names of the first section named `section`, in file order, as
// GetPrivateProfileStringA lists them for a null key name.
std::vector<std::string> ProfileKeyNamesFromText(const std::string& contents,
                                                 const char* section);

// GetPrivateProfileStringA over `contents` (null when there is no file).
unsigned long ProfileStringFromText(const std::string* contents, const char* section,
                                    const char* key, const char* defaultValue,
                                    char* buffer, unsigned long size);

// GetPrivateProfileIntA reads the value through a buffer of this many
// bytes, terminator included, before it converts it.
constexpr unsigned long kProfileIntegerTextSize = 30;

// GetPrivateProfileIntA over `contents` (null when there is no file).
uint32_t ProfileIntFromText(const std::string* contents, const char* section,
                            const char* key, int defaultValue);

// The system's conversion of a profile value to an integer: blanks, an
// optional sign, an optional 0x, 0o or 0b prefix (lower case only), then
// digits; wraps modulo 2^32 like the system does. `whole`, when given, tells
// whether the text is all of that with at least one digit, nothing after.
uint32_t ParseProfileInteger(const char* text, bool* whole = nullptr);

#endif
