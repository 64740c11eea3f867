#include "platform/text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Parses one argument starting at `p` (not at a blank); returns the
// position after it.
const char* ParseArgument(const char* p, std::string* out) {
  bool quoted = false;
  while (*p != '\0' && (quoted || !IsBlank(*p))) {
    if (*p == '\\') {
      size_t slashes = 0;
      while (*p == '\\') {
        ++slashes;
        ++p;
      }
      if (*p == '"') {
        out->append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          *out += '"';
          ++p;
        }
      } else {
        out->append(slashes, '\\');
      }
    } else if (*p == '"') {
      if (quoted && p[1] == '"') {
        *out += '"';
        p += 2;
      } else {
        quoted = !quoted;
        ++p;
      }
    } else {
      *out += *p++;
    }
  }
  return p;
}

}  // namespace

std::vector<std::string> SplitArguments(const char* text) {
  std::vector<std::string> arguments;
  const char* p = text;
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') break;
    std::string argument;
    p = ParseArgument(p, &argument);
    arguments.push_back(argument);
  }
  return arguments;
}

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> arguments;
  const char* p = commandLine;
  std::string program;
  bool quoted = false;
  while (*p != '\0' && (quoted || !IsBlank(*p))) {
    if (*p == '"')
      quoted = !quoted;
    else
      program += *p;
    ++p;
  }
  arguments.push_back(program);
  std::vector<std::string> rest = SplitArguments(p);
  arguments.insert(arguments.end(), rest.begin(), rest.end());
  return arguments;
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  size_t slashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++slashes;
    } else if (c == '"') {
      quoted.append(slashes * 2 + 1, '\\');
      slashes = 0;
    } else {
      quoted.append(slashes, '\\');
      slashes = 0;
    }
    if (c != '\\') quoted += c;
  }
  // Backslashes before the closing quote must be doubled to stay literal.
  quoted.append(slashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}
