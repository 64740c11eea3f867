#include "platform/file_owner.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system-posix.h"

PathOwner QueryPathOwner(const char* path) {
  struct stat info;
  if (lstat(HostPath(path).c_str(), &info) != 0) return PathOwner::kOther;
  return info.st_uid == 0 || info.st_uid == geteuid() ? PathOwner::kAdministrator
                                                       : PathOwner::kOther;
}
