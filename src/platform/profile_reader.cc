#include "platform/profile_parse.h"

#include <cstring>
#include <vector>

#include "platform/text.h"

namespace {

// A value wrapped in matching quotes is given without them.
std::string WithoutQuotes(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

// How many bytes of `value` up to `limit` hold whole characters of the ANSI
// code page (`value` is longer than `limit`).
unsigned long WholeCharacters(const std::string& value, unsigned long limit) {
  if (CurrentAnsiCodePage() == kUtf8CodePage) {
    // The first byte left out must not continue a sequence begun before it.
    while (limit > 0 && (static_cast<unsigned char>(value[limit]) & 0xC0) == 0x80) --limit;
    return limit;
  }
  unsigned long whole = 0;
  while (whole < limit) {
    const bool lead = IsAnsiLeadByte(static_cast<unsigned char>(value[whole]));
    if (lead && whole + 1 == limit) break;
    whole += lead ? 2 : 1;
  }
  return whole;
}

// Copies `value` cut to `size` - 1 bytes. A cut never leaves part of a
// character: the value ends before it, and the length stays `size` - 1,
// which tells callers the value did not fit.
unsigned long CopyCut(const std::string& value, char* buffer, unsigned long size) {
  if (value.size() < size) {
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<unsigned long>(value.size());
  }
  const unsigned long length = size - 1;
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  const unsigned long whole = WholeCharacters(value, length);
  if (whole < length) buffer[whole] = '\0';
  return length;
}

}  // namespace

bool FindProfileValue(const std::string& contents, const char* section, const char* key,
                      std::string* value) {
  const std::string wantedSection = TrimProfileBlanks(section);
  const std::string wantedKey = TrimProfileBlanks(key);
  for (const ProfileSection& s : ParseProfile(contents)) {
    if (!ProfileNamesEqual(s.name, wantedSection)) continue;
    // Only the first section of a name counts, and in it the first line of
    // the key, even one without '='.
    for (const ProfileEntry& entry : s.entries) {
      if (!ProfileNamesEqual(entry.name, wantedKey)) continue;
      if (!entry.hasEquals) return false;
      *value = entry.value;
      return true;
    }
    return false;
  }
  return false;
}

std::vector<std::string> ProfileKeyNamesFromText(const std::string& contents,
                                                 const char* section) {
  std::vector<std::string> names;
  // The list takes the requested name as it stands, blanks and all.
  for (const ProfileSection& s : ParseProfile(contents)) {
    if (!ProfileNamesEqual(s.name, section)) continue;
    for (const ProfileEntry& entry : s.entries) {
      // Comments and keys without '=' are left out of the list.
      if (entry.hasEquals && (entry.name.empty() || entry.name[0] != ';'))
        names.push_back(entry.name);
    }
    break;
  }
  return names;
}

unsigned long ProfileStringFromText(const std::string* contents, const char* section,
                                    const char* key, const char* defaultValue,
                                    char* buffer, unsigned long size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string value;
  if (contents == nullptr || section == nullptr || key == nullptr ||
      !FindProfileValue(*contents, section, key, &value)) {
    value = defaultValue != nullptr ? defaultValue : "";
    // The system drops trailing blanks of the default, and takes its quotes
    // off as a value's.
    while (!value.empty() && value.back() == ' ') value.pop_back();
  }
  return CopyCut(WithoutQuotes(value), buffer, size);
}

uint32_t ParseProfileInteger(const char* text, bool* whole) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0' && *p <= ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  uint32_t base = 10;
  if (p[0] == '0') {
    // The system knows only the lower-case prefixes: "0X10" reads as 0.
    switch (p[1]) {
      case 'x': base = 16; p += 2; break;
      case 'o': base = 8; p += 2; break;
      case 'b': base = 2; p += 2; break;
      default: break;
    }
  }
  uint32_t total = 0;
  const unsigned char* digits = p;
  for (;; ++p) {
    uint32_t digit;
    if (*p >= '0' && *p <= '9') digit = *p - '0';
    else if (*p >= 'a' && *p <= 'z') digit = *p - 'a' + 10;
    else if (*p >= 'A' && *p <= 'Z') digit = *p - 'A' + 10;
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (whole != nullptr) *whole = p != digits && *p == '\0';
  return negative ? 0u - total : total;
}

uint32_t ProfileIntFromText(const std::string* contents, const char* section,
                            const char* key, int defaultValue) {
  // The system reads the value through a small string buffer first; an
  // empty result means "use the default".
  char text[kProfileIntegerTextSize];
  if (ProfileStringFromText(contents, section, key, "", text, sizeof(text)) == 0)
    return static_cast<uint32_t>(defaultValue);
  return ParseProfileInteger(text);
}
