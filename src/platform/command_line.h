// Windows command-line conventions: how the C runtime splits a command line
// into arguments, and the quoting that reverses it. POSIX systems hand a
// program its arguments already split, so the POSIX layer rebuilds and
// re-splits command lines with these rules.
#ifndef LAUNCHER_PLATFORM_COMMAND_LINE_H
#define LAUNCHER_PLATFORM_COMMAND_LINE_H

#include <string>
#include <vector>

// Splits like the C runtime: the first token by the program-name rule
// (quotes toggle, no escapes), the rest by the argument rules (blanks
// separate outside quotes, 2n backslashes before a quote give n and the
// quote toggles, 2n+1 give n and a literal quote, "" inside quotes is a
// literal quote).
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Splits a command-line tail: every token by the argument rules.
std::vector<std::string> SplitArguments(const char* text);

// Quotes `argument` so that SplitArguments gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

// Quoted arguments joined by single blanks.
std::string JoinArguments(const std::vector<std::string>& arguments);

#endif
