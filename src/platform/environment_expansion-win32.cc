#include "platform/environment_expansion.h"

#include <windows.h>

#include <vector>

bool ExpandEnvironmentReferences(const char* text, std::string* expanded) {
  std::vector<char> buffer(1024);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD needed =
        ExpandEnvironmentStringsA(text, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return false;
    if (needed <= buffer.size()) {
      expanded->assign(buffer.data());
      return true;
    }
    buffer.resize(needed);
  }
  return false;
}
