#ifndef LAUNCHER_HOUSEKEEPING_START_MENU_H
#define LAUNCHER_HOUSEKEEPING_START_MENU_H

// Moves the program folder from drive C into the all-users Start menu.
void RelocateStartMenuFolder();

#endif
