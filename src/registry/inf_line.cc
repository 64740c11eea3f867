#include "registry/inf_line.h"

#include <cstdint>

namespace {

// Flag bits the installer acts on beyond writing a value.
constexpr uint32_t kDeleteValue = 0x00000004;
constexpr uint32_t kKeyOnlyCommon = 0x00002000;
constexpr uint32_t kDeleteBit = 0x00008000;
// The value type: string types are written quoted, the others bare.
constexpr uint32_t kTypeMask = 0xFFFF0001;
constexpr uint32_t kTypeString = 0x00000000;
constexpr uint32_t kTypeExpandString = 0x00020000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Control characters would end the line, end the script (0x1A) or reach
// the registry as something nobody can see.
bool HoldsControlCharacter(const std::string& text) {
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
  }
  return false;
}

bool IsKnownRoot(const std::string& root) {
  std::string upper;
  for (char c : TrimBlanks(root)) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  return upper == "HKCR" || upper == "HKCU" || upper == "HKLM" || upper == "HKU" || upper == "HKR";
}

// The flags as the installer reads the field: a whole unsigned number
// (0x hex, leading-0 octal, or decimal) that fits its signed reader; blank
// is 0. False for anything else, which the installer would take as 0 or cap.
bool ParseFlags(const std::string& field, uint32_t* flags) {
  const std::string text = TrimBlanks(field);
  *flags = 0;
  if (text.empty()) return true;
  size_t i = 0;
  unsigned base = 10;
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    i = 2;
  } else if (text[0] == '0') {
    base = 8;
  }
  if (i == text.size()) return false;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit = c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
                     : c >= 'a' && c <= 'f' ? static_cast<unsigned>(c - 'a' + 10)
                     : c >= 'A' && c <= 'F' ? static_cast<unsigned>(c - 'A' + 10)
                                            : 99;
    if (digit >= base) return false;
    value = value * base + digit;
    if (value > 0x7FFFFFFF) return false;
  }
  *flags = static_cast<uint32_t>(value);
  return true;
}

// Between double quotes the installer reads "" as one ".
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

bool IsDeletion(const RegistryEntry& entry, uint32_t flags) {
  return entry.deletion || (flags & (kDeleteValue | kDeleteBit)) != 0;
}

// A subkey of nothing but backslashes names the root itself.
bool NamesTheRoot(const std::string& subkey) {
  return subkey.find_first_not_of('\\') == std::string::npos;
}

}  // namespace

bool DeletesWholeKey(const RegistryEntry& entry) {
  uint32_t flags = 0;
  if (!entry.deletion && !ParseFlags(entry.fields[kFlags], &flags)) return false;
  return IsDeletion(entry, flags) &&
         (entry.fields[kValueName].empty() || (!entry.deletion && (flags & kKeyOnlyCommon) != 0));
}

bool ComposeInfLine(const RegistryEntry& entry, std::string* line, std::string* reason) {
  line->clear();
  const int fieldCount = entry.deletion ? kFlags : kFieldCount;
  if (entry.tooLong != kFieldCount) {
    *reason = RegistryKeyName(entry, entry.tooLong) + " is longer than " +
              std::to_string(LongestFieldValue(entry.tooLong)) + " characters";
    return false;
  }
  for (int i = 0; i < fieldCount; ++i) {
    if (HoldsControlCharacter(entry.fields[i])) {
      *reason = RegistryKeyName(entry, static_cast<RegistryField>(i)) + " holds a control character";
      return false;
    }
  }
  const std::string& root = entry.fields[kRoot];
  if (!IsKnownRoot(root)) {
    *reason = "root \"" + root + "\" is not HKCR, HKCU, HKLM, HKU or HKR";
    return false;
  }
  uint32_t flags = 0;
  if (!entry.deletion && !ParseFlags(entry.fields[kFlags], &flags)) {
    *reason = "flags \"" + entry.fields[kFlags] + "\" are not a number the installer reads";
    return false;
  }
  if (IsDeletion(entry, flags) && NamesTheRoot(entry.fields[kSubkey])) {
    *reason = "a deletion without a subkey would delete the whole of " + TrimBlanks(root);
    return false;
  }
  *line = root + ", " + Quoted(entry.fields[kSubkey]) + "," + Quoted(entry.fields[kValueName]);
  if (entry.deletion) return true;

  const std::string& value = entry.fields[kValue];
  const uint32_t type = flags & kTypeMask;
  if (type == kTypeString || type == kTypeExpandString) {
    *line += "," + entry.fields[kFlags] + "," + Quoted(value);
    return true;
  }
  // Other types are fields separated by commas, so they stay bare; what the
  // installer would read as a comment or a line joined to the next cannot.
  if (value.find(';') != std::string::npos) {
    *reason = RegistryKeyName(entry, kValue) + " holds ';', which would start a comment";
    return false;
  }
  const std::string trimmed = TrimBlanks(value);
  if (!trimmed.empty() && trimmed.back() == '\\') {
    *reason = RegistryKeyName(entry, kValue) + " ends with '\\', which would join the next line";
    return false;
  }
  *line += "," + entry.fields[kFlags] + "," + value;
  return true;
}
