// The system (and language) a check shows a run for: this one, or one the
// packager names, fed to the launcher's own choices in place of the real
// system's answers.
#ifndef LAUNCHER_TOOLS_LAUNCHER_CHECK_SYSTEM_CHOICE_H
#define LAUNCHER_TOOLS_LAUNCHER_CHECK_SYSTEM_CHOICE_H

#include <cstdint>
#include <string>

#include "platform/system.h"

struct SystemDescription {
  bool known = false;  // false: this system's version query failed
  OsVersion version = {};
  bool is64Bit = false;
  std::string name;  // as asked ("xp"), empty for this system
};

// This system as the launcher sees it.
SystemDescription ThisSystem();

// A system by its --system name ("xp", "2000", "vista-x64", ...); false for
// an unknown name.
bool SystemByName(const std::string& name, SystemDescription* system);

// The names SystemByName takes, for the usage text.
const char* SystemNames();

// A language identifier as given to --language: "0x0411" or "1041"; false
// unless it is a whole number up to 0xFFFF.
bool ParseLanguage(const std::string& text, uint16_t* language);

#endif
