// Links on the way into a folder that a user may change. The launcher writes
// as an administrator; a link (a junction on Windows) that a user left in
// his own profile would lead its writes wherever the user chose, the system
// directory included.
#ifndef LAUNCHER_DEPLOY_LINK_GUARD_H
#define LAUNCHER_DEPLOY_LINK_GUARD_H

#include <string>

// Every existing folder on `destination`'s own path that is a link was made
// by an administrator, as the system's own are ("Documents and Settings",
// "Default User" and "Application Data" on Vista and later).
bool DestinationLinksTrusted(const std::string& destination);

// A folder on the way to `target` below its first `destinationLength`
// characters (the destination it was joined to) exists as a link, whoever
// made it: the archive's folders are the package's own, and a link among
// them is none of its.
bool LinkBelowDestination(const std::string& target, size_t destinationLength);

#endif
