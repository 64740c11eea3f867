#include "platform/environment_expansion.h"

#include <cstring>

#include "platform/system.h"

extern char** environ;

namespace {

bool SameLetters(char a, char b) {
  return a == b || (a >= 'a' && a <= 'z' && a - 32 == b) || (b >= 'a' && b <= 'z' && b - 32 == a);
}

// The first variable whose name matches without regard to case, as Windows
// keeps one variable per name; its value in drive form where it is a path.
const char* FindVariable(void*, const std::string& name) {
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals == nullptr || static_cast<size_t>(equals - *entry) != name.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < name.size(); ++i) same = SameLetters((*entry)[i], name[i]);
    if (same) return GetEnvironmentValue(std::string(*entry, static_cast<size_t>(equals - *entry)).c_str());
  }
  return nullptr;
}

}  // namespace

bool ExpandEnvironmentReferences(const char* text, std::string* expanded) {
  *expanded = ExpandReferencesWith(text, FindVariable, nullptr);
  return true;
}
