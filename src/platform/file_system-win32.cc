#include "platform/file_system.h"

#include <windows.h>

uint32_t GetPathAttributes(const char* path) { return GetFileAttributesA(path); }

bool CreateDirectoryAt(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }
