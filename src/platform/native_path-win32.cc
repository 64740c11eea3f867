#include "platform/native_path.h"

bool NativePath(const char* path, std::string* native) {
  *native = path;
  return !native->empty();
}

std::string DrivePathFromNative(const std::string& native) { return native; }
