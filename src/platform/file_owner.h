// Who owns a file or folder. The launcher runs with administrator rights and
// acts on folders that anyone may create; an owner tells whether one of the
// administrators made it.
#ifndef LAUNCHER_PLATFORM_FILE_OWNER_H
#define LAUNCHER_PLATFORM_FILE_OWNER_H

enum class PathOwner {
  // The Administrators group, LocalSystem, or, before Vista, the account the
  // launcher runs as (Windows XP gives an administrator's files to the
  // administrator's own account, not to the group; from Vista on an elevated
  // administrator's files go to the group, and the account's own are made
  // by its programs that run without elevation). POSIX systems: root, or the
  // launcher's own user.
  kAdministrator,
  kOther,     // anyone else, or an owner that cannot be read
  kNoOwners,  // the system or the volume keeps no owners (the 95 family, FAT)
};

// The owner of `path` itself: a link's own owner, never its target's.
//
// Wine 8 differs: it reports the account of the prefix for whatever its Unix
// user owns, Anonymous (S-1-5-7) for anything else, follows a link to read
// its target's owner, and keeps no owner that a program sets.
PathOwner QueryPathOwner(const char* path);

#endif
