// Every configuration key the launcher reads, with its section and kind.
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_KNOWN_KEYS_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_KNOWN_KEYS_H

#include <string>

enum class KeyKind { kSwitch, kCount, kNumber, kLanguage, kText };

struct KnownKey {
  const char* section;
  const char* pattern;  // '#' stands for an index: 1, 2, ... without leading zeros
  KeyKind kind;
  unsigned long longest;  // characters a text value may have
};

extern const KnownKey kKnownKeys[];
extern const size_t kKnownKeyCount;

// The key whose pattern `name` fits (without regard to case), or null.
// `badIndex` is set when an index is 0 or has a leading zero: the launcher
// never forms such a name, so the key is never read.
const KnownKey* FindKnownKey(const std::string& name, bool* badIndex);

// The known key closest to an unknown `name`, when it is a likely
// misspelling of it (edit distance 1 or 2, indexes counted as one character);
// null otherwise. `suggestion` gets the name with the same index.
const KnownKey* FindNearKey(const std::string& name, std::string* suggestion);

#endif
