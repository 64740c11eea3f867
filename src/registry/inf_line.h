// One registry entry as a line of the installer's script, written so that
// the installer reads back exactly the configured fields, or not at all.
#ifndef LAUNCHER_REGISTRY_INF_LINE_H
#define LAUNCHER_REGISTRY_INF_LINE_H

#include <string>

#include "registry/registry_entries.h"

// The script line for `entry`, without its line end. False, with the reason
// in `reason`, when the entry must be left out: some field the installer
// would read otherwise than it stands, or a change beyond the one meant.
bool ComposeInfLine(const RegistryEntry& entry, std::string* line, std::string* reason);

// True when the installer deletes a whole key for `entry` (with everything
// under it), rather than a single value.
bool DeletesWholeKey(const RegistryEntry& entry);

#endif
