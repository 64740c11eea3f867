// The setup program's configuration file for the system's language.
#ifndef LAUNCHER_LOCALE_LANGUAGE_SWAP_H
#define LAUNCHER_LOCALE_LANGUAGE_SWAP_H

#include <cstdint>
#include <string>
#include <vector>

#include "core/name_keys.h"
#include "core/path_buffer.h"

// What the swap leaves for the restore at the end of the run.
struct LanguageSwap {
  char configPath[kPathBufferSize];
  char backupPath[kPathBufferSize];
  bool configSwapped;
};

// Why the swap does nothing, or kNone when it swaps.
enum class SwapBlock {
  kNone,
  kNameRefused,     // SETUPCONFIG was refused
  kPathsTooLong,    // a file's path in the launcher's directory would not fit
  kNoLanguages,     // INILANG is 0
  kNotListed,       // no INILANG entry lists the system's language
  kCopyMissing,     // the language copy is not there
  kConfigMissing,   // the package's own file is not there
  kBackupInTheWay,  // the backup name is taken: it is never overwritten
};

struct LanguageEntry {
  uint32_t index;     // n of INILANG<n>
  uint32_t language;  // its value
};

struct LanguageSwapPlan {
  uint16_t systemLanguage = 0;
  SwapBlock block = SwapBlock::kPathsTooLong;
  // The entries read, in rising order, up to the first that lists the
  // system's language; only that one counts.
  std::vector<LanguageEntry> entries;
  uint32_t matchedIndex = 0;  // 0: none
  char configPath[kPathBufferSize] = "";
  char backupPath[kPathBufferSize] = "";
  char copyPath[kPathBufferSize] = "";
  // A run ended before its restore: the backup is there, and the
  // configuration file is byte for byte one of the listed language copies
  // (`strandedCopyPath`). The package's own file is put back first, and
  // the rest of the plan counts from there.
  bool undoInterrupted = false;
  char strandedCopyPath[kPathBufferSize] = "";
};

// Why the plan's swap does nothing, in words ("" for kNone).
std::string DescribeSwapBlock(const LanguageSwapPlan& plan);

// Decides from the configuration and the launcher's directory whether the
// language copy would take the place of the setup program's configuration.
// `names` with an empty `config`: the configured name was refused.
LanguageSwapPlan PlanLanguageSwap(uint16_t systemLanguage, const char* exeDirectory,
                                  const char* iniPath, uint32_t languageCount,
                                  const SetupConfigNames& names = DefaultSetupConfigNames());

enum class SwapResult {
  kSwapped,
  kBlocked,              // the plan's block says why
  kRenameFailed,         // the package's own file could not be moved aside
  kCopyFailed,           // the copy failed; the package's own file is back
  kCopyFailedLeftAside,  // the copy failed and the package's own file stays
                         // under the backup name (put back at the restore)
  kUndoFailed,           // an interrupted swap could not be undone: nothing swapped
};

struct LanguageSwapOutcome {
  LanguageSwapPlan plan;
  SwapResult result = SwapResult::kBlocked;
  bool configSwapped = false;
  bool undone = false;  // the plan's undoInterrupted was carried out
};

// The step: puts the language copy in place of the setup program's
// configuration file when the configuration lists the system's language.
LanguageSwapOutcome SwapLanguageConfig(const char* exeDirectory, const char* iniPath,
                                       uint32_t languageCount, const SetupConfigNames& names,
                                       LanguageSwap* swap);

// The same for a given system language.
LanguageSwapOutcome SwapLanguageConfigFor(uint16_t systemLanguage, const char* exeDirectory,
                                          const char* iniPath, uint32_t languageCount,
                                          LanguageSwap* swap,
                                          const SetupConfigNames& names = DefaultSetupConfigNames());

struct RestoreOutcome {
  bool ran = false;       // false: nothing was swapped
  bool restored = false;  // the package's own file is back under its name
  char configPath[kPathBufferSize] = "";
};

// Puts the package's own configuration file back after a swap.
RestoreOutcome RestoreLanguageConfig(const LanguageSwap& swap);

#endif
