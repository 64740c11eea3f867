#include "platform/system_language.h"

#include "platform/ansi_code_page.h"

uint16_t GetSystemDefaultLanguage() {
  return LanguageIdForLocale(LocaleNameFromEnvironment());
}
