#ifndef LAUNCHER_HOUSEKEEPING_START_MENU_H
#define LAUNCHER_HOUSEKEEPING_START_MENU_H

#include <string>
#include <vector>

#include "core/path_buffer.h"

// Why the relocation does nothing, or kNone when it moves the folder.
enum class RelocationBlock {
  kNone,
  kNoProgramsFolder,  // the system names no all-users programs folder
  kTargetTooLong,     // the folder's path there would not fit a path buffer
  kSourceMissing,
  // Anyone may create the folder on drive C; what it holds goes into every
  // user's Start menu only when an administrator made it, and never
  // through a link.
  kSourceIsLink,
  kSourceNotAdministrators,
  kTargetExists,
  kNameRefused,  // STARTMENUSOURCE or STARTMENUFOLDER was refused
};

struct StartMenuPlan {
  RelocationBlock block = RelocationBlock::kNoProgramsFolder;
  const char* source;            // the program folder on drive C
  char target[kPathBufferSize];  // its place in the programs folder, when known
};

// Where the program folder (by default "c:\Tessik Halvern Wireless") would go: into the
// all-users Start-menu programs folder under the same name, unless the
// source is missing, is a link or was made by someone other than an
// administrator (platform/file_owner.h; systems without owners are taken at
// their word), or the target exists already.
// Either name null: the configured value was refused, and nothing is moved.
StartMenuPlan PlanStartMenuRelocation(const char* source, const char* folderName);

struct StartMenuOutcome {
  bool ran = false;  // false: switched off
  StartMenuPlan plan;
  bool moved = false;          // every entry was moved
  bool sourceRemoved = false;  // nothing was left in the source folder
  std::vector<std::string> linksLeft;  // links found inside, left where they are
};

// The step: carries out the plan, then removes the source folder if nothing
// is left in it.
StartMenuOutcome RelocateStartMenuFolder(const char* source, const char* folderName);

// Moves everything below `source` into `destination`, creating the
// destination and the directories on its way first. A subdirectory with no
// attribute but the directory one is walked into (and left behind, empty);
// a link (a reparse point) is neither walked nor moved, and is added to
// `linksLeft` when given; anything else, including a directory with further
// attributes, is moved whole, replacing a file of that name. Stops at the
// first failure: returns 1 when every entry was moved or left as a link, 0
// otherwise. Removes no directory.
int MoveDirectoryTree(const char* source, const char* destination,
                      std::vector<std::string>* linksLeft = nullptr);

#endif
