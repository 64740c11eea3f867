#include "run/setup_command.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/path_buffer.h"
#include "platform/profile_parse.h"
#include "platform/system.h"
#include "platform/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

// The components of a relative name, split at either separator; a trail
// byte of a two-byte character is never taken for one.
std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> components(1);
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsSeparator(name[i])) {
      components.emplace_back();
      continue;
    }
    components.back() += name[i];
    if (IsAnsiLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size())
      components.back() += name[++i];
  }
  return components;
}

// Windows drops trailing dots and blanks of a component, so "..." and ". ."
// may climb as ".." does: any component of dots and blanks with two dots
// counts.
bool ClimbsUp(const std::string& component) {
  int dots = 0;
  for (char c : component) {
    if (c == '.') ++dots;
    else if (c != ' ') return false;
  }
  return dots >= 2;
}

// The name as the file system resolves it: "." and empty components go,
// trailing dots and blanks of each component too.
std::string NormalizedName(const std::string& name) {
  std::string normalized;
  for (std::string component : Components(name)) {
    while (!component.empty() && (component.back() == '.' || component.back() == ' '))
      component.pop_back();
    if (component.empty()) continue;
    if (!normalized.empty()) normalized += '\\';
    normalized += component;
  }
  return normalized;
}

// The launcher's directory with its final backslash; empty without one.
std::string DirectoryOf(const char* modulePath) {
  const char* slash = FindLastAnsiChar(modulePath, '\\');
  return slash != nullptr ? std::string(modulePath, slash + 1) : std::string();
}

// A program naming the launcher's own file would only meet its own mutex.
bool IsLauncherItself(const std::string& directory, const std::string& name,
                      const char* modulePath) {
  return ProfileNamesEqual(directory + NormalizedName(name), modulePath);
}

// The file a prefix names in `directory`, relative to it, or empty.
std::string ExistingProgram(const std::string& directory, const std::string& name) {
  const std::string file = ResolveProgramFile(directory + name);
  return file.empty() ? file : file.substr(directory.size());
}

}  // namespace

bool LeavesDirectory(const std::string& name) {
  if (name.empty()) return false;
  if (IsSeparator(name[0]) || name.find(':') != std::string::npos) return true;
  for (const std::string& component : Components(name)) {
    if (ClimbsUp(component)) return true;
  }
  return false;
}

SetupCommandParts ReadSetupCommand(const char* directory, const char* defaultCmd) {
  SetupCommandParts parts;
  if (*defaultCmd == '"') {
    const char* close = std::strchr(defaultCmd + 1, '"');
    if (close == nullptr) {
      parts.unclosedQuote = true;
      return parts;
    }
    parts.program.assign(defaultCmd + 1, close);
    parts.options = SkipBlanks(close + 1);
    parts.found = !LeavesDirectory(parts.program) &&
                  IsStartableFile(std::string(directory) + parts.program);
    parts.readings = parts.found ? 1 : 0;
    return parts;
  }
  // Unquoted, blanks may belong to the file name or separate the options:
  // the longest reading that names a file wins.
  for (const char* end = defaultCmd;; ++end) {
    if ((*end == '\0' || IsBlank(*end)) && end > defaultCmd && !IsBlank(end[-1])) {
      const std::string prefix(defaultCmd, end);
      const std::string program =
          LeavesDirectory(prefix) ? std::string() : ExistingProgram(directory, prefix);
      if (!program.empty()) {
        ++parts.readings;
        parts.found = true;
        parts.program = program;
        parts.options = SkipBlanks(end);
      }
    }
    if (*end == '\0') break;
  }
  if (!parts.found) {
    const char* end = defaultCmd;
    while (*end != '\0' && !IsBlank(*end)) ++end;
    parts.program.assign(defaultCmd, end);
    parts.options = SkipBlanks(end);
  }
  return parts;
}

SetupPlan PlanSetupProgram(const char* modulePath, const LauncherSettings& settings,
                           const char* commandTail) {
  SetupPlan plan;
  if (modulePath == nullptr) return plan;
  plan.waitForTree = IsSwitchOn(settings.WAITALL);
  plan.block = SetupBlock::kDefaultCmdTooLong;
  if (settings.defaultCmdTooLong) return plan;
  plan.block = SetupBlock::kDefaultCmdEmpty;
  if (settings.DEFAULTCMD[0] == '\0') return plan;

  const std::string directory = DirectoryOf(modulePath);
  const SetupCommandParts parts = ReadSetupCommand(directory.c_str(), settings.DEFAULTCMD);
  plan.block = SetupBlock::kUnclosedQuote;
  if (parts.unclosedQuote) return plan;
  plan.options = parts.options;
  plan.programFound = parts.found;
  plan.readings = parts.readings;
  plan.block = SetupBlock::kOutsideDirectory;
  if (LeavesDirectory(parts.program)) return plan;
  plan.block = SetupBlock::kCommandTooLong;
  if (!CopyWhole(plan.program, sizeof(plan.program), (directory + parts.program).c_str()))
    return plan;
  plan.block = SetupBlock::kLauncherItself;
  if (IsLauncherItself(directory, parts.program, modulePath)) return plan;

  // Quoted, so that setup's own runtime reads its path whole.
  std::string line = std::string("\"") + plan.program + "\"";
  if (!plan.options.empty()) line += " " + plan.options;
  if (*commandTail != '\0') line += std::string(" ") + commandTail;
  plan.block = SetupBlock::kCommandTooLong;
  if (!CopyWhole(plan.command, sizeof(plan.command), line.c_str())) return plan;
  plan.block = SetupBlock::kNone;
  return plan;
}

SetupOutcome RunSetupProgram(const LauncherSettings& settings, const char* commandTail) {
  SetupOutcome outcome;
  char modulePath[kPathBufferSize];
  const bool ownPathKnown = GetLauncherModulePath(modulePath, sizeof(modulePath)) != 0;
  outcome.plan = PlanSetupProgram(ownPathKnown ? modulePath : nullptr, settings, commandTail);
  const SetupPlan& plan = outcome.plan;
  if (plan.block != SetupBlock::kNone) return outcome;
  outcome.started = plan.waitForTree
                        ? StartProcessTree(plan.program, plan.command, &outcome.process)
                        : StartProcess(plan.program, plan.command, &outcome.process);
  if (outcome.started) WaitForProcessEnd(&outcome.process);
  return outcome;
}
