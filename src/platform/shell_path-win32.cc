#include "platform/shell_path.h"

#include <windows.h>
#include <shlwapi.h>

bool RemoveFileSpec(char* path) { return PathRemoveFileSpecA(path) != 0; }
