#include "platform/text.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* FirstSet(const char* const (&names)[3]) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

struct CharacterSet {
  const char* name;  // lower case, without "-" and "_"
  unsigned codePage;
};

const CharacterSet kCharacterSets[] = {
    {"utf8", 65001},     {"sjis", 932},      {"shiftjis", 932},  {"cp932", 932},
    {"windows31j", 932}, {"eucjp", 20932},   {"ujis", 20932},    {"gbk", 936},
    {"cp936", 936},      {"gb2312", 936},    {"euccn", 936},     {"gb18030", 54936},
    {"euckr", 949},      {"cp949", 949},     {"uhc", 949},       {"big5", 950},
    {"cp950", 950},      {"big5hkscs", 950},
};

}  // namespace

const char* LocaleNameFromEnvironment() {
  static const char* const kVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  return FirstSet(kVariables);
}

const char* CodePageLocaleName() {
  static const char* const kVariables[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  return FirstSet(kVariables);
}

unsigned CodePageForLocale(const char* localeName) {
  // "language[_territory][.charset][@modifier]"
  if (const char* dot = std::strchr(localeName, '.')) {
    std::string set;
    for (const char* p = dot + 1; *p != '\0' && *p != '@'; ++p) {
      char c = *p;
      if (c == '-' || c == '_') continue;
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      set += c;
    }
    for (const CharacterSet& known : kCharacterSets) {
      if (set == known.name) return known.codePage;
    }
    return 1252;  // a single-byte set
  }
  if (std::strncmp(localeName, "ja", 2) == 0) return 932;
  if (std::strncmp(localeName, "ko", 2) == 0) return 949;
  if (std::strncmp(localeName, "zh_TW", 5) == 0 ||
      std::strncmp(localeName, "zh_HK", 5) == 0)
    return 950;
  if (std::strncmp(localeName, "zh", 2) == 0) return 936;
  return 1252;
}

bool IsLeadByteOfCodePage(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 20932:
      return byte == 0x8E || (byte >= 0xA1 && byte <= 0xFE);
    case 936:
    case 949:
    case 950:
    case 54936:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}
