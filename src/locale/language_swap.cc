#include "locale/language_swap.h"

#include <cstdio>
#include <cstring>

#include "core/indexed_keys.h"
#include "core/settings.h"
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

// Whether an entry lists the system's language; only the first one counts.
// Only entries whose keys are there are read: the others read as 0.
bool IsLanguageListed(uint16_t systemLanguage, const char* iniPath, uint32_t count) {
  const std::vector<uint32_t> indexes =
      PresentEntryIndexes(ReadProfileKeyNames(kSectionParams, iniPath), "INILANG", {""}, count);
  for (uint32_t index : indexes) {
    char key[32];
    std::snprintf(key, sizeof(key), "INILANG%lu", static_cast<unsigned long>(index));
    uint32_t entry = ReadProfileInt(kSectionParams, key, 0, iniPath);
    if (entry == static_cast<uint32_t>(systemLanguage)) return true;
  }
  return false;
}

}  // namespace

bool SwapLanguageConfig(const char* exeDirectory, const char* iniPath,
                        uint32_t languageCount, LanguageSwap* swap) {
  return SwapLanguageConfigFor(GetSystemDefaultLanguage(), exeDirectory, iniPath,
                               languageCount, swap);
}

bool SwapLanguageConfigFor(uint16_t systemLanguage, const char* exeDirectory,
                           const char* iniPath, uint32_t languageCount, LanguageSwap* swap) {
  std::memset(swap, 0, sizeof(*swap));
  bool pathsFit = FormatPath(swap->configPath, "%s\\Velquist.ini", exeDirectory) &&
                  FormatPath(swap->backupPath, "%s\\Velquist.bak", exeDirectory);
  if (!pathsFit) {
    swap->configPath[0] = swap->backupPath[0] = '\0';
    return false;
  }
  if (languageCount == 0) return false;

  if (!IsLanguageListed(systemLanguage, iniPath, languageCount)) return false;

  char copyPath[kPathBufferSize];
  if (!FormatPath(copyPath, "%s\\Velquist.%04x", exeDirectory,
                  static_cast<unsigned>(systemLanguage)))
    return false;
  if (!PathExists(copyPath) || !PathExists(swap->configPath)) return false;
  if (!RenameWithoutReplacing(swap->configPath, swap->backupPath)) return false;
  swap->configSwapped = true;

  if (!CopyFileWithoutReplacing(copyPath, swap->configPath)) {
    // Setup would otherwise run without any configuration file: give it the
    // package's own one back, as if the language were not listed.
    if (RenameWithoutReplacing(swap->backupPath, swap->configPath)) swap->configSwapped = false;
  }
  return swap->configSwapped;
}

void RestoreLanguageConfig(const LanguageSwap& swap) {
  if (!swap.configSwapped || !PathExists(swap.backupPath)) return;
  // The copy inherits the language copy's read-only state; it is ours to
  // remove all the same.
  if (!DeleteFileAt(swap.configPath) && ClearReadOnly(swap.configPath))
    DeleteFileAt(swap.configPath);
  RenameWithoutReplacing(swap.backupPath, swap.configPath);
}
