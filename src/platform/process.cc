#include "platform/process.h"

std::string ResolveProgramFile(const std::string& name) {
  if (IsStartableFile(name)) return name;
  const std::string::size_type slash = name.find_last_of("\\/");
  const std::string::size_type dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return "";
  return IsStartableFile(name + ".exe") ? name + ".exe" : "";
}
