// Counted entries ("INILANG<n>", "ADDREG<n>_ROOT", ...) found from the keys
// that are there, so that a huge count costs no more than the entries
// actually written.
#ifndef LAUNCHER_CORE_INDEXED_KEYS_H
#define LAUNCHER_CORE_INDEXED_KEYS_H

#include <cstdint>
#include <string>
#include <vector>

// The indexes n, 1 <= n <= count, for which some name in `keyNames` is
// exactly the key "<prefix><n><suffix>" for one of `suffixes` (n in decimal
// without leading zeros, letters a to z in any case), rising, each once.
// These are the only indexes whose reads can give anything but defaults.
std::vector<uint32_t> PresentEntryIndexes(const std::vector<std::string>& keyNames,
                                          const char* prefix,
                                          const std::vector<const char*>& suffixes,
                                          uint32_t count);

#endif
