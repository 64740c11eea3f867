#include "core/setup_command.h"

#include <cstring>
#include <string>

#include "core/path_buffer.h"
#include "platform/text.h"

bool BuildSetupPath(const char* modulePath, const char* setupProgram, char* setupPath) {
  const char* slash = FindLastAnsiChar(modulePath, '\\');
  std::string path(modulePath, slash != nullptr ? slash + 1 - modulePath : std::strlen(modulePath));
  path += setupProgram;
  return CopyWhole(setupPath, kPathBufferSize, path.c_str());
}

bool BuildSetupCommand(const char* setupPath, const char* commandTail, char* command) {
  std::string line = setupPath;
  if (*commandTail != '\0') {
    line += ' ';
    line += commandTail;
  }
  return CopyWhole(command, kSetupCommandSize, line.c_str());
}
