// Any file's bytes through the profile reader: no crash and no read past the
// input; a value read into a small buffer is a cut of the value read into a
// large one; the default comes back only when the key is missing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/profile_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(16);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string contents = input.ConsumeRemainingBytesAsString();
  const char kDefault[] = "\x01" "default";

  char whole[8192];
  unsigned long wholeLength = ProfileStringFromText(&contents, section.c_str(), key.c_str(),
                                                    kDefault, whole, sizeof(whole));
  if (wholeLength >= sizeof(whole) || std::strlen(whole) != wholeLength) std::abort();

  // A found key gives its value (up to a NUL byte, without matching
  // quotes around it); a missing one gives the default.
  std::string value;
  bool found = FindProfileValue(contents, section.c_str(), key.c_str(), &value);
  if (found) {
    value.resize(std::strlen(value.c_str()));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
  }
  if (std::string(whole) != (found ? value : std::string(kDefault))) std::abort();

  for (unsigned long bufferSize : {1ul, 2ul, 5ul, 64ul, 261ul}) {
    char cut[261];
    unsigned long length = ProfileStringFromText(&contents, section.c_str(), key.c_str(),
                                                 kDefault, cut, bufferSize);
    if (length >= bufferSize || std::strncmp(cut, whole, length) != 0 || cut[length] != '\0')
      std::abort();
    if (length < bufferSize - 1 && length != wholeLength) std::abort();
  }
  (void)ProfileIntFromText(&contents, section.c_str(), key.c_str(), 7);
  (void)ParseProfileInteger(contents.c_str());
  return 0;
}
