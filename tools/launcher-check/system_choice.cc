#include "launcher-check/system_choice.h"

#include <cerrno>
#include <cstdlib>

#include "platform/system_bits.h"

namespace {

struct NamedSystem {
  const char* name;
  OsVersion version;
  bool is64Bit;
};

// As GetVersionExA reports each one to a program that declares them all in
// its manifest. XP x64 is NT 5.2, as Server 2003 is.
const NamedSystem kSystems[] = {
    {"95", {kPlatformWin32Windows, 4, 0}, false},
    {"98", {kPlatformWin32Windows, 4, 10}, false},
    {"me", {kPlatformWin32Windows, 4, 90}, false},
    {"nt4", {kPlatformWin32Nt, 4, 0}, false},
    {"2000", {kPlatformWin32Nt, 5, 0}, false},
    {"xp", {kPlatformWin32Nt, 5, 1}, false},
    {"xp-x64", {kPlatformWin32Nt, 5, 2}, true},
    {"2003", {kPlatformWin32Nt, 5, 2}, false},
    {"2003-x64", {kPlatformWin32Nt, 5, 2}, true},
    {"vista", {kPlatformWin32Nt, 6, 0}, false},
    {"vista-x64", {kPlatformWin32Nt, 6, 0}, true},
    {"7", {kPlatformWin32Nt, 6, 1}, false},
    {"7-x64", {kPlatformWin32Nt, 6, 1}, true},
    {"8", {kPlatformWin32Nt, 6, 2}, false},
    {"8-x64", {kPlatformWin32Nt, 6, 2}, true},
    {"10", {kPlatformWin32Nt, 10, 0}, false},
    {"10-x64", {kPlatformWin32Nt, 10, 0}, true},
};

}  // namespace

SystemDescription ThisSystem() {
  SystemDescription system;
  system.known = QueryOsVersion(&system.version);
  system.is64Bit = IsSystem64Bit();
  return system;
}

bool SystemByName(const std::string& name, SystemDescription* system) {
  for (const NamedSystem& named : kSystems) {
    if (name != named.name) continue;
    system->known = true;
    system->version = named.version;
    system->is64Bit = named.is64Bit;
    system->name = name;
    return true;
  }
  return false;
}

const char* SystemNames() {
  return "95, 98, me, nt4, 2000, xp, 2003, vista, 7, 8, 10,\n"
         "                and the 64-bit editions xp-x64, 2003-x64, vista-x64, 7-x64, 8-x64, 10-x64";
}

bool ParseLanguage(const std::string& text, uint16_t* language) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value > 0xFFFF) return false;
  *language = static_cast<uint16_t>(value);
  return true;
}
