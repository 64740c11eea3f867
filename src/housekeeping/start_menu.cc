#include "housekeeping/start_menu.h"

// Not built yet: nothing is moved.
void RelocateStartMenuFolder() {}
