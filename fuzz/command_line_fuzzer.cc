// Quoting any argument list and splitting it again gives the list back; the
// program-name skipper and the splitters take any bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/command_tail.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const std::string line = raw.substr(0, raw.find('\0'));

  const char* tail = SkipProgramName(line.c_str());
  if (tail < line.c_str() || tail > line.c_str() + line.size()) std::abort();
  (void)SplitCommandLine(line.c_str());

  // Arguments separated by 0x00 (which no argument can hold).
  std::vector<std::string> arguments;
  FuzzedDataProvider input(data, size);
  while (input.remaining_bytes() > 0 && arguments.size() < 64) {
    std::string argument = input.ConsumeRandomLengthString(64);
    argument = argument.substr(0, argument.find('\0'));
    arguments.push_back(argument);
  }
  const std::string joined = JoinArguments(arguments);
  if (SplitArguments(joined.c_str()) != arguments) std::abort();
  return 0;
}
