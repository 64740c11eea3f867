// The names of other programs' files and folders that the steps act on:
// today's product's by default, another product's when [PARAMS] names them.
// A value that could reach outside the place its step works in is refused,
// and the step is then left out: acting on the default instead would touch
// files the packager meant to leave alone.
#ifndef LAUNCHER_CORE_NAME_KEYS_H
#define LAUNCHER_CORE_NAME_KEYS_H

#include <string>

#include "core/path_buffer.h"

// The helper's image name travels in a buffer of 100 bytes.
constexpr size_t kHelperNameLongest = 99;

enum class NameSource { kDefault, kFile, kRefused };

struct NameKey {
  char value[kPathBufferSize];  // the name in force; empty when refused
  NameSource source;
  const char* refusal;  // why the value was refused, in words; "" otherwise
};

// The name a step acts on; null when the configuration's value was refused,
// and the step then acts on nothing.
const char* NameInForce(const NameKey& key);

// The setup program's configuration file and the names derived from it:
// its backup and its language copies ("<base>.%04x").
struct SetupConfigNames {
  char config[kPathBufferSize];
  char backup[kPathBufferSize];
  char languageBase[kPathBufferSize];  // the name without its last extension
};

// Today's names, used when no key names others.
SetupConfigNames DefaultSetupConfigNames();
// False when `config` cannot be the configuration file (see ReadNameKeys).
bool DeriveSetupConfigNames(const char* config, SetupConfigNames* names);
// "<base>.%04x" for `language`.
std::string LanguageCopyName(const SetupConfigNames& names, unsigned language);

struct NameKeys {
  NameKey helperProcess;    // HELPERPROCESS
  NameKey setupConfig;      // SETUPCONFIG
  SetupConfigNames setupConfigNames;  // derived from it, when not refused
  NameKey startMenuSource;  // STARTMENUSOURCE
  NameKey startMenuFolder;  // STARTMENUFOLDER
};

// Reads HELPERPROCESS, SETUPCONFIG, STARTMENUSOURCE and STARTMENUFOLDER of
// [PARAMS]. A bare file name may hold no "\", "/" or ":" and is not "." or
// ".."; the Start-menu source is a full local path ("c:\...") without "."
// or ".." components; STARTMENUFOLDER defaults to the source's last
// component.
NameKeys ReadNameKeys(const char* iniPath);

// The key and where its value came from, in words after the value:
// " (default)", " (from HELPERPROCESS)", " (refused: ...)".
std::string DescribeNameSource(const NameKey& key, const char* keyName);

#endif
