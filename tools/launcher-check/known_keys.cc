#include "launcher-check/known_keys.h"

#include "core/fixed_names.h"
#include "launcher-check/ascii_names.h"

namespace {

// With digits runs folded to '#'; the first run is kept in `index`.
std::string IndexPattern(const std::string& name, std::string* index, bool* badIndex) {
  std::string pattern;
  *badIndex = false;
  index->clear();
  for (size_t i = 0; i < name.size();) {
    if (name[i] >= '0' && name[i] <= '9') {
      size_t j = i;
      while (j < name.size() && name[j] >= '0' && name[j] <= '9') ++j;
      if (name[i] == '0') *badIndex = true;
      if (index->empty()) *index = name.substr(i, j - i);
      pattern += '#';
      i = j;
    } else {
      pattern += name[i++];
    }
  }
  return AsciiUpper(pattern);
}

}  // namespace

const KnownKey kKnownKeys[] = {
    {kSectionBefore, "COPYFROMZIP", KeyKind::kSwitch, 0},
    {kSectionBefore, "COPYSETFROMZIP", KeyKind::kSwitch, 0},
    {kSectionParams, "DEFAULTCMD", KeyKind::kText, 260},
    {kSectionParams, "INILANG", KeyKind::kCount, 0},
    {kSectionParams, "INILANG#", KeyKind::kLanguage, 0},
    {kSectionParams, "SLEEP", KeyKind::kSwitch, 0},
    {kSectionParams, "SLEEPTIME", KeyKind::kNumber, 0},
    {kSectionParams, "ADDREG", KeyKind::kCount, 0},
    {kSectionParams, "ADDREG#_ROOT", KeyKind::kText, 260},
    {kSectionParams, "ADDREG#_SUBKEY", KeyKind::kText, 260},
    {kSectionParams, "ADDREG#_ENTRYNAME", KeyKind::kText, 259},
    {kSectionParams, "ADDREG#_FLAGS", KeyKind::kText, 259},
    {kSectionParams, "ADDREG#_VALUE", KeyKind::kText, 260},
    {kSectionParams, "DELREG", KeyKind::kCount, 0},
    {kSectionParams, "DELREG#_ROOT", KeyKind::kText, 260},
    {kSectionParams, "DELREG#_SUBKEY", KeyKind::kText, 260},
    {kSectionParams, "DELREG#_ENTRYNAME", KeyKind::kText, 259},
    {kSectionParams, "TERMINATEORMLATCH", KeyKind::kSwitch, 0},
    {kSectionParams, "CHECKSTARTPROGRAM", KeyKind::kSwitch, 0},
    {kSectionParams, "LOGFILE", KeyKind::kText, 260},
    {kSectionParams, "PASSEXITCODE", KeyKind::kSwitch, 0},
    {kSectionParams, "WAITALL", KeyKind::kSwitch, 0},
    {kSectionParams, "MUTEXNAME", KeyKind::kText, 260},
    {kSectionParams, "HELPERPROCESS", KeyKind::kText, 99},
    {kSectionParams, "SETUPCONFIG", KeyKind::kText, 260},
    {kSectionParams, "STARTMENUSOURCE", KeyKind::kText, 260},
    {kSectionParams, "STARTMENUFOLDER", KeyKind::kText, 260},
};
const size_t kKnownKeyCount = sizeof(kKnownKeys) / sizeof(kKnownKeys[0]);

const KnownKey* FindKnownKey(const std::string& name, bool* badIndex) {
  std::string index;
  const std::string pattern = IndexPattern(name, &index, badIndex);
  for (const KnownKey& key : kKnownKeys) {
    if (pattern == key.pattern) return &key;
  }
  *badIndex = false;
  return nullptr;
}

const KnownKey* FindNearKey(const std::string& name, std::string* suggestion) {
  std::string index;
  bool badIndex;
  const std::string pattern = IndexPattern(name, &index, &badIndex);
  // Short names are too easily near anything.
  if (pattern.size() < 4) return nullptr;
  const KnownKey* best = nullptr;
  size_t bestDistance = 3;
  for (const KnownKey& key : kKnownKeys) {
    const size_t distance = EditDistance(pattern, key.pattern);
    if (distance < bestDistance) {
      best = &key;
      bestDistance = distance;
    }
  }
  if (best == nullptr) return nullptr;
  suggestion->clear();
  for (const char* p = best->pattern; *p != '\0'; ++p) {
    if (*p == '#')
      *suggestion += index.empty() ? "1" : index;
    else
      *suggestion += *p;
  }
  return best;
}
