#ifndef LAUNCHER_HOUSEKEEPING_START_MENU_H
#define LAUNCHER_HOUSEKEEPING_START_MENU_H

// Moves the program folder "c:\Tessik Halvern Wireless" into the all-users
// Start-menu programs folder under the same name, unless the source is
// missing or the target exists already; then removes the source folder if
// nothing is left in it.
void RelocateStartMenuFolder();

// Moves everything below `source` into `destination`, creating the
// destination and the directories on its way first. A subdirectory with no
// attribute but the directory one is walked into (and left behind, empty);
// anything else, including a directory with further attributes, is moved
// whole, replacing a file of that name. Stops at the first failure: returns
// 1 when every entry was moved, 0 otherwise. Removes no directory.
int MoveDirectoryTree(const char* source, const char* destination);

#endif
