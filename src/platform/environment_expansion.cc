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
    if (close == nullptr) {
      expanded += p;
      break;
    }
    const char* value = close > p + 1 ? lookup(context, std::string(p + 1, close)) : nullptr;
    if (value != nullptr) expanded += value;
    else expanded.append(p, close + 1);
    p = close + 1;
  }
  return expanded;
}
