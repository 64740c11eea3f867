// The registry additions and deletions the configuration lists, read field
// by field as the installer script needs them.
#ifndef LAUNCHER_REGISTRY_REGISTRY_ENTRIES_H
#define LAUNCHER_REGISTRY_REGISTRY_ENTRIES_H

#include <cstdint>
#include <string>
#include <vector>

enum RegistryField { kRoot, kSubkey, kValueName, kFlags, kValue, kFieldCount };

struct RegistryEntry {
  bool deletion = false;
  uint32_t index = 0;
  std::string fields[kFieldCount];  // deletions have no flags and no value
  // The first field longer than it may be, or kFieldCount.
  RegistryField tooLong = kFieldCount;
};

// The key name suffixes of the fields, "_ROOT" to "_VALUE"; deletions have
// the first three only.
extern const char* const kRegistryFieldSuffixes[kFieldCount];
constexpr int kDeletionFieldCount = kFlags;

// The entries ADDREG<n> (or DELREG<n>), 1 <= n <= count, that have at least
// one key in the file, in rising order. The others would read as empty.
std::vector<RegistryEntry> ReadRegistryEntries(const char* iniPath, bool deletions,
                                               uint32_t count);

// The key of one field of an entry, e.g. "ADDREG3_VALUE"; the entry's own
// name ("ADDREG3") for kFieldCount.
std::string RegistryKeyName(const RegistryEntry& entry, RegistryField field);

// How many characters a field may hold.
unsigned long LongestFieldValue(RegistryField field);

#endif
