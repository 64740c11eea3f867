#include "locale/language_swap.h"

#include <cstdio>
#include <cstring>

#include "core/fixed_names.h"
#include "core/indexed_keys.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// Formats into a path buffer; false (and an empty buffer) when the result
// would not fit, since a cut path names some other file.
template <typename... Args>
bool FormatPath(char (&buffer)[kPathBufferSize], const char* format, Args... args) {
  int length = std::snprintf(buffer, sizeof(buffer), format, args...);
  if (length < 0 || static_cast<size_t>(length) >= sizeof(buffer)) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

// The indexes of the language entries whose keys are there, up to `count`:
// the others read as 0.
std::vector<uint32_t> PresentLanguageIndexes(const char* iniPath, uint32_t count) {
  return PresentEntryIndexes(ReadProfileKeyNames(kSectionParams, iniPath), "INILANG", {""}, count);
}

uint32_t ReadLanguageEntry(const char* iniPath, uint32_t index) {
  char key[32];
  std::snprintf(key, sizeof(key), "INILANG%lu", static_cast<unsigned long>(index));
  return ReadProfileInt(kSectionParams, key, 0, iniPath);
}

// Reads the entries up to the first that lists the system's language.
void FindListedLanguage(const char* iniPath, uint32_t count, LanguageSwapPlan* plan) {
  for (uint32_t index : PresentLanguageIndexes(iniPath, count)) {
    const uint32_t language = ReadLanguageEntry(iniPath, index);
    plan->entries.push_back({index, language});
    if (language == static_cast<uint32_t>(plan->systemLanguage)) {
      plan->matchedIndex = index;
      return;
    }
  }
}

// The state a run killed between swap and restore leaves: the package's own
// file waits as the backup, and the configuration file is one of the
// language copies the configuration lists. A backup beside any other file is
// the package's own, and stays.
void FindInterruptedSwap(const char* exeDirectory, const char* iniPath, uint32_t count,
                         const SetupConfigNames& names, LanguageSwapPlan* plan) {
  const uint32_t backup = GetPathAttributes(plan->backupPath);
  std::string config;
  if (backup == kInvalidFileAttributes || (backup & kAttributeDirectory) != 0 ||
      !ReadWholeFile(plan->configPath, &config))
    return;
  for (uint32_t index : PresentLanguageIndexes(iniPath, count)) {
    const uint32_t language = ReadLanguageEntry(iniPath, index);
    std::string copy;
    if (language > 0xFFFF ||
        !FormatPath(plan->strandedCopyPath, "%s\\%s", exeDirectory,
                    LanguageCopyName(names, language).c_str()) ||
        !ReadWholeFile(plan->strandedCopyPath, &copy) || copy != config)
      continue;
    plan->undoInterrupted = true;
    return;
  }
  plan->strandedCopyPath[0] = '\0';
}

// Moves the package's own file from the backup name back over the
// configuration file. The copy there inherits the language copy's
// read-only state; it is ours to remove all the same.
bool PutPackageFileBack(const char* configPath, const char* backupPath) {
  if (!DeleteFileAt(configPath) && ClearReadOnly(configPath)) DeleteFileAt(configPath);
  return RenameWithoutReplacing(backupPath, configPath);
}

}  // namespace

std::string DescribeSwapBlock(const LanguageSwapPlan& plan) {
  switch (plan.block) {
    case SwapBlock::kNone: return "";
    case SwapBlock::kNameRefused: return "SETUPCONFIG names no file the swap may use";
    case SwapBlock::kPathsTooLong: return "the launcher's folder is too long for the file paths";
    case SwapBlock::kNoLanguages: return "INILANG is 0";
    case SwapBlock::kNotListed:
      return "no INILANG entry lists the system language " + std::to_string(plan.systemLanguage);
    case SwapBlock::kCopyMissing: return std::string(plan.copyPath) + " is not there";
    case SwapBlock::kConfigMissing: return std::string(plan.configPath) + " is not there";
    case SwapBlock::kBackupInTheWay:
      return std::string(plan.backupPath) + " is in the way (it is never overwritten)";
  }
  return "";
}

LanguageSwapPlan PlanLanguageSwap(uint16_t systemLanguage, const char* exeDirectory,
                                  const char* iniPath, uint32_t languageCount,
                                  const SetupConfigNames& names) {
  LanguageSwapPlan plan;
  plan.systemLanguage = systemLanguage;
  if (names.config[0] == '\0') {
    plan.block = SwapBlock::kNameRefused;
    return plan;
  }
  if (!FormatPath(plan.configPath, "%s\\%s", exeDirectory, names.config) ||
      !FormatPath(plan.backupPath, "%s\\%s", exeDirectory, names.backup)) {
    plan.configPath[0] = plan.backupPath[0] = '\0';
    return plan;
  }
  if (languageCount == 0) {
    plan.block = SwapBlock::kNoLanguages;
    return plan;
  }
  FindInterruptedSwap(exeDirectory, iniPath, languageCount, names, &plan);
  FindListedLanguage(iniPath, languageCount, &plan);
  if (plan.matchedIndex == 0) {
    plan.block = SwapBlock::kNotListed;
    return plan;
  }
  if (!FormatPath(plan.copyPath, "%s\\%s", exeDirectory,
                  LanguageCopyName(names, systemLanguage).c_str())) {
    plan.block = SwapBlock::kPathsTooLong;
  } else if (!PathExists(plan.copyPath)) {
    plan.block = SwapBlock::kCopyMissing;
  } else if (!PathExists(plan.configPath)) {
    plan.block = SwapBlock::kConfigMissing;
  } else if (PathExists(plan.backupPath) && !plan.undoInterrupted) {
    plan.block = SwapBlock::kBackupInTheWay;
  } else {
    plan.block = SwapBlock::kNone;
  }
  return plan;
}

LanguageSwapOutcome SwapLanguageConfig(const char* exeDirectory, const char* iniPath,
                                       uint32_t languageCount, const SetupConfigNames& names,
                                       LanguageSwap* swap) {
  return SwapLanguageConfigFor(GetSystemDefaultLanguage(), exeDirectory, iniPath, languageCount,
                               swap, names);
}

LanguageSwapOutcome SwapLanguageConfigFor(uint16_t systemLanguage, const char* exeDirectory,
                                          const char* iniPath, uint32_t languageCount,
                                          LanguageSwap* swap, const SetupConfigNames& names) {
  LanguageSwapOutcome outcome;
  outcome.plan = PlanLanguageSwap(systemLanguage, exeDirectory, iniPath, languageCount, names);
  const LanguageSwapPlan& plan = outcome.plan;
  std::memset(swap, 0, sizeof(*swap));
  std::memcpy(swap->configPath, plan.configPath, sizeof(swap->configPath));
  std::memcpy(swap->backupPath, plan.backupPath, sizeof(swap->backupPath));
  if (plan.undoInterrupted) {
    outcome.undone = PutPackageFileBack(plan.configPath, plan.backupPath);
    if (!outcome.undone) {
      outcome.result = SwapResult::kUndoFailed;
      return outcome;
    }
  }
  if (plan.block != SwapBlock::kNone) return outcome;

  if (!RenameWithoutReplacing(plan.configPath, plan.backupPath)) {
    outcome.result = SwapResult::kRenameFailed;
    return outcome;
  }
  swap->configSwapped = true;
  outcome.result = SwapResult::kSwapped;
  if (!CopyFileWithoutReplacing(plan.copyPath, plan.configPath)) {
    // Setup would otherwise run without any configuration file: give it the
    // package's own one back, as if the language were not listed.
    outcome.result = SwapResult::kCopyFailedLeftAside;
    if (RenameWithoutReplacing(plan.backupPath, plan.configPath)) {
      swap->configSwapped = false;
      outcome.result = SwapResult::kCopyFailed;
    }
  }
  outcome.configSwapped = swap->configSwapped;
  return outcome;
}

RestoreOutcome RestoreLanguageConfig(const LanguageSwap& swap) {
  RestoreOutcome outcome;
  std::memcpy(outcome.configPath, swap.configPath, sizeof(outcome.configPath));
  if (!swap.configSwapped) return outcome;
  outcome.ran = true;
  if (!PathExists(swap.backupPath)) return outcome;
  outcome.restored = PutPackageFileBack(swap.configPath, swap.backupPath);
  return outcome;
}
