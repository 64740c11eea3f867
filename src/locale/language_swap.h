// The setup program's configuration file for the system's language.
#ifndef LAUNCHER_LOCALE_LANGUAGE_SWAP_H
#define LAUNCHER_LOCALE_LANGUAGE_SWAP_H

#include <cstdint>

#include "core/path_buffer.h"

// What the swap leaves for the restore at the end of the run.
struct LanguageSwap {
  char configPath[kPathBufferSize];
  char backupPath[kPathBufferSize];
  bool configSwapped;
};

// Puts the language copy in place of the setup program's configuration file
// when the configuration lists the system's language. Returns configSwapped.
bool SwapLanguageConfig(const char* exeDirectory, const char* iniPath,
                        uint32_t languageCount, LanguageSwap* swap);

// The same for a given system language.
bool SwapLanguageConfigFor(uint16_t systemLanguage, const char* exeDirectory,
                           const char* iniPath, uint32_t languageCount, LanguageSwap* swap);

// Puts the package's own configuration file back after a swap.
void RestoreLanguageConfig(const LanguageSwap& swap);

#endif
