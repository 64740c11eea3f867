#include "platform/ansi_code_page.h"

#include <cstdlib>
#include <cstring>

const char* LocaleNameFromEnvironment() {
  static const char* const kVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* name : kVariables) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

unsigned CodePageForLocale(const char* localeName) {
  if (std::strncmp(localeName, "ja", 2) == 0) return 932;
  if (std::strncmp(localeName, "ko", 2) == 0) return 949;
  if (std::strncmp(localeName, "zh_TW", 5) == 0 ||
      std::strncmp(localeName, "zh_HK", 5) == 0)
    return 950;
  if (std::strncmp(localeName, "zh", 2) == 0) return 936;
  return 1252;
}

unsigned CurrentAnsiCodePage() {
  return CodePageForLocale(LocaleNameFromEnvironment());
}

bool IsLeadByteOfCodePage(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}
