// Any file's bytes through the profile reader: no crash and no read past the
// input; a value read into a small buffer is a cut of the value read into a
// large one; the default comes back only when the key is missing; a key
// that is found is listed among its section's keys.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/profile_parse.h"

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

  // Every key the lookup finds is in the section's key list, so entries
  // found from that list are all the entries there are. (Comment lines are
  // left out of the list; no counted key starts with ';'. The list takes the
  // section name as given, so only names without blanks around them count.)
  const std::string trimmedSection = TrimProfileBlanks(section.c_str());
  if (found && trimmedSection == section.c_str()) {
    const std::string wanted = TrimProfileBlanks(key.c_str());
    bool listed = !wanted.empty() && wanted[0] == ';';
    for (const std::string& name : ProfileKeyNamesFromText(contents, section.c_str()))
      listed = listed || ProfileNamesEqual(name, wanted);
    if (!listed) std::abort();
  }

  for (unsigned long bufferSize : {1ul, 2ul, 5ul, 64ul, 261ul}) {
    char cut[261];
    unsigned long length = ProfileStringFromText(&contents, section.c_str(), key.c_str(),
                                                 kDefault, cut, bufferSize);
    // A cut may end early rather than split a double-byte character; it is
    // still reported as size - 1.
    const size_t kept = strnlen(cut, bufferSize);
    if (length >= bufferSize || kept > length || std::strncmp(cut, whole, kept) != 0 ||
        cut[length] != '\0')
      std::abort();
    if (length < bufferSize - 1 && length != wholeLength) std::abort();
    if (kept < length && length != bufferSize - 1) std::abort();
  }
  (void)ProfileIntFromText(&contents, section.c_str(), key.c_str(), 7);
  (void)ParseProfileInteger(contents.c_str());
  return 0;
}
