#include "locale/language_swap.h"

#include <cstring>

// Not built yet: nothing is ever swapped.
bool SwapLanguageConfig(const char* /*exeDirectory*/, const char* /*iniPath*/,
                        uint32_t /*languageCount*/, LanguageSwap* swap) {
  std::memset(swap, 0, sizeof(*swap));
  return false;
}

void RestoreLanguageConfig(const LanguageSwap& /*swap*/) {}
