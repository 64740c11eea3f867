// The POSIX entry point. The arguments arrive already split; they are quoted
// back into a Windows command-line tail, which the process layer splits again
// by the same rules, so the setup program receives exactly these arguments.
#include <string>
#include <vector>

#include "run/main_sequence.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const std::string tail = JoinArguments(arguments);
  RunLauncher(tail.c_str());
}
