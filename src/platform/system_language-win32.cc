#include "platform/system_language.h"

#include <windows.h>

uint16_t GetSystemDefaultLanguage() { return GetSystemDefaultLangID(); }
