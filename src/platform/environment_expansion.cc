#include "platform/environment_expansion.h"

#include <cstring>

std::string ExpandReferencesWith(const char* text, VariableLookup lookup, void* context) {
  std::string expanded;
  for (const char* p = text; *p != '\0';) {
    if (*p != '%') {
      expanded += *p++;
      continue;
    }
    const char* close = std::strchr(p + 1, '%');
    if (close != nullptr && close > p + 1) {
      const char* value = lookup(context, std::string(p + 1, close));
      if (value != nullptr) {
        expanded += value;
        p = close + 1;
        continue;
      }
    }
    expanded += *p++;
  }
  return expanded;
}
