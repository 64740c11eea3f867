#include "registry/registry_entries.h"

#include "core/indexed_keys.h"
#include "core/settings.h"
#include "platform/profile.h"

const char* const kRegistryFieldSuffixes[kFieldCount] = {"_ROOT", "_SUBKEY", "_ENTRYNAME", "_FLAGS",
                                                         "_VALUE"};

namespace {

// Room beyond the longest value: the system drops a value's outer quotes
// only after cutting it to the buffer, so a buffer of just one more byte
// would let a quoted over-long value through cut.
constexpr unsigned long kReadBufferSize = 300;

}  // namespace

unsigned long LongestFieldValue(RegistryField field) {
  return field == kValueName || field == kFlags ? 259 : 260;
}

std::string RegistryKeyName(const RegistryEntry& entry, RegistryField field) {
  std::string name = (entry.deletion ? "DELREG" : "ADDREG") + std::to_string(entry.index);
  return field == kFieldCount ? name : name + kRegistryFieldSuffixes[field];
}

std::vector<RegistryEntry> ReadRegistryEntries(const char* iniPath, bool deletions,
                                               uint32_t count) {
  const int fieldCount = deletions ? kDeletionFieldCount : kFieldCount;
  const std::vector<const char*> suffixes(kRegistryFieldSuffixes,
                                          kRegistryFieldSuffixes + fieldCount);
  const std::vector<uint32_t> indexes =
      PresentEntryIndexes(ReadProfileKeyNames(kSectionParams, iniPath),
                          deletions ? "DELREG" : "ADDREG", suffixes, count);
  std::vector<RegistryEntry> entries;
  for (uint32_t index : indexes) {
    RegistryEntry entry;
    entry.deletion = deletions;
    entry.index = index;
    for (int i = 0; i < fieldCount; ++i) {
      const RegistryField field = static_cast<RegistryField>(i);
      char buffer[kReadBufferSize];
      const unsigned long length = ReadProfileString(
          kSectionParams, RegistryKeyName(entry, field).c_str(), "", buffer, sizeof(buffer), iniPath);
      entry.fields[i].assign(buffer, length);
      if (length > LongestFieldValue(field) && entry.tooLong == kFieldCount) entry.tooLong = field;
    }
    entries.push_back(entry);
  }
  return entries;
}
