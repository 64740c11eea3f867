#include "platform/process.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string ResolveProgramFile(const std::string& name) {
  if (IsStartableFile(name)) return name;
  const std::string::size_type slash = name.find_last_of("\\/");
  const std::string::size_type dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return "";
  return IsStartableFile(name + ".exe") ? name + ".exe" : "";
}

std::string FindCommandProgram(const char* commandLine) {
  const char* p = commandLine;
  while (IsBlank(*p)) ++p;
  if (*p == '"') {
    const char* close = p + 1;
    while (*close != '\0' && *close != '"') ++close;
    return ResolveProgramFile(std::string(p + 1, close));
  }
  // Unquoted, a name with blanks is ambiguous: each blank-separated prefix is
  // tried, shortest first.
  for (const char* end = p;; ++end) {
    if (*end == '\0' || IsBlank(*end)) {
      const std::string program = ResolveProgramFile(std::string(p, end));
      if (!program.empty() || *end == '\0') return program;
    }
  }
}
