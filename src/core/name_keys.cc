#include "core/name_keys.h"

#include <cstdio>
#include <cstring>

#include "core/fixed_names.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// Characters no file name may hold (the wildcards would also widen a
// folder listing); a trail byte of a double-byte character is no character
// of its own.
bool HoldsForbidden(const char* text, const char* forbidden) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p < 0x20 || std::strchr(forbidden, *p) != nullptr) return true;
    if (IsAnsiLeadByte(*p) && p[1] != 0) ++p;
  }
  return false;
}

const char* BareNameRefusal(const char* name, size_t longest) {
  if (name[0] == '\0') return "it is empty";
  if (std::strlen(name) > longest) return "it is too long";
  if (HoldsForbidden(name, "\\/:*?\"<>|")) return "it is not a bare file name";
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return "it names a folder";
  return "";
}

// The last "." of the name, lead bytes respected; null when there is none.
const char* LastDot(const char* name) { return FindLastAnsiChar(name, '.'); }

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
    char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

bool IsHexExtension(const char* extension) {
  if (std::strlen(extension) != 4) return false;
  for (const char* p = extension; *p != '\0'; ++p)
    if (std::strchr("0123456789abcdefABCDEF", *p) == nullptr) return false;
  return true;
}

// A full local path: a drive letter, ":", "\", then components that are
// neither empty, "." nor ".."; trailing backslashes are dropped.
const char* SourceRefusal(char* path, const char** lastComponent) {
  if (path[0] == '\0') return "it is empty";
  const bool drive = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
                     path[2] == '\\';
  if (!drive) return "it is no full local path (a drive letter, \":\" and \"\\\")";
  size_t length = std::strlen(path);
  while (length > 3 && path[length - 1] == '\\' &&
         FindLastAnsiChar(path, '\\') == path + length - 1)
    path[--length] = '\0';
  if (HoldsForbidden(path + 3, "/:*?\"<>|")) return "it holds characters no path may hold";
  const char* component = path + 3;
  *lastComponent = component;
  for (const char* p = component;; ++p) {
    if (*p == '\\' || *p == '\0') {
      const size_t size = static_cast<size_t>(p - component);
      if (size == 0) return length == 3 ? "it names a whole drive" : "it holds an empty component";
      if ((size == 1 && component[0] == '.') ||
          (size == 2 && component[0] == '.' && component[1] == '.'))
        return "it holds a \".\" or \"..\" component";
      *lastComponent = component;
      if (*p == '\0') break;
      component = p + 1;
    } else if (IsAnsiLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      ++p;
    }
  }
  return "";
}

// A sentinel no file can hold tells a missing key from an empty one.
constexpr char kMissing[] = "\x01";

// Reads `key`; false when it is missing. An over-long value reads as "" with
// `tooLong` set.
bool ReadNameValue(const char* iniPath, const char* key, char (&value)[kPathBufferSize],
                   bool* tooLong) {
  char read[kPathBufferSize + 1];
  const unsigned long length =
      ReadProfileString(kSectionParams, key, kMissing, read, sizeof(read), iniPath);
  *tooLong = false;
  value[0] = '\0';
  if (std::strcmp(read, kMissing) == 0) return false;
  if (length >= kPathBufferSize) *tooLong = true;
  else std::memcpy(value, read, length + 1);
  return true;
}

void SetName(NameKey* key, const char* value, NameSource source, const char* refusal) {
  key->source = source;
  key->refusal = refusal;
  key->value[0] = '\0';
  if (source != NameSource::kRefused) CopyWhole(key->value, sizeof(key->value), value);
}

void ReadBareName(const char* iniPath, const char* keyName, const char* fallback,
                  size_t longest, NameKey* key) {
  char value[kPathBufferSize];
  bool tooLong = false;
  if (!ReadNameValue(iniPath, keyName, value, &tooLong)) {
    SetName(key, fallback, NameSource::kDefault, "");
    return;
  }
  const char* refusal = tooLong ? "it is too long" : BareNameRefusal(value, longest);
  SetName(key, value, refusal[0] == '\0' ? NameSource::kFile : NameSource::kRefused, refusal);
}

}  // namespace

bool DeriveSetupConfigNames(const char* config, SetupConfigNames* names) {
  std::memset(names, 0, sizeof(*names));
  if (BareNameRefusal(config, kPathBufferSize - 1)[0] != '\0') return false;
  const char* dot = LastDot(config);
  const size_t baseLength = dot != nullptr ? static_cast<size_t>(dot - config) : std::strlen(config);
  // A name that is its own backup or one of its own language copies would be
  // overwritten, or swapped with itself.
  if (dot != nullptr && (EqualsIgnoringCase(dot + 1, "bak") || IsHexExtension(dot + 1)))
    return false;
  if (baseLength + 6 > kPathBufferSize - 1) return false;
  std::memcpy(names->config, config, std::strlen(config) + 1);
  std::memcpy(names->languageBase, config, baseLength);
  std::memcpy(names->backup, config, baseLength);
  std::memcpy(names->backup + baseLength, ".bak", 5);
  return true;
}

SetupConfigNames DefaultSetupConfigNames() {
  SetupConfigNames names;
  DeriveSetupConfigNames(kSetupConfigName, &names);
  return names;
}

std::string LanguageCopyName(const SetupConfigNames& names, unsigned language) {
  char extension[8];
  std::snprintf(extension, sizeof(extension), ".%04x", language & 0xFFFFu);
  return std::string(names.languageBase) + extension;
}

NameKeys ReadNameKeys(const char* iniPath) {
  NameKeys keys;
  std::memset(&keys, 0, sizeof(keys));
  ReadBareName(iniPath, "HELPERPROCESS", kHelperImageName, kHelperNameLongest,
               &keys.helperProcess);

  ReadBareName(iniPath, "SETUPCONFIG", kSetupConfigName, kPathBufferSize - 1, &keys.setupConfig);
  if (keys.setupConfig.source != NameSource::kRefused &&
      !DeriveSetupConfigNames(keys.setupConfig.value, &keys.setupConfigNames))
    SetName(&keys.setupConfig, "", NameSource::kRefused,
            "its backup (.bak) or a language copy (.<4 hex digits>) would have its own name");

  char source[kPathBufferSize];
  bool tooLong = false;
  const char* lastComponent = nullptr;
  if (!ReadNameValue(iniPath, "STARTMENUSOURCE", source, &tooLong)) {
    std::memcpy(source, kStartMenuSourceFolder, sizeof(kStartMenuSourceFolder));
    SourceRefusal(source, &lastComponent);
    SetName(&keys.startMenuSource, source, NameSource::kDefault, "");
  } else {
    const char* refusal = tooLong ? "it is too long" : SourceRefusal(source, &lastComponent);
    SetName(&keys.startMenuSource, source,
            refusal[0] == '\0' ? NameSource::kFile : NameSource::kRefused, refusal);
  }
  const bool sourceInForce = keys.startMenuSource.source != NameSource::kRefused;
  ReadBareName(iniPath, "STARTMENUFOLDER", sourceInForce ? lastComponent : "",
               kPathBufferSize - 1, &keys.startMenuFolder);
  if (!sourceInForce && keys.startMenuFolder.source == NameSource::kDefault)
    SetName(&keys.startMenuFolder, "", NameSource::kRefused, "STARTMENUSOURCE is refused");
  return keys;
}

std::string DescribeNameSource(const NameKey& key, const char* keyName) {
  switch (key.source) {
    case NameSource::kDefault: return " (default)";
    case NameSource::kFile: return std::string(" (from ") + keyName + ")";
    case NameSource::kRefused: return std::string(" (") + keyName + " refused: " + key.refusal + ")";
  }
  return "";
}

const char* NameInForce(const NameKey& key) {
  return key.source == NameSource::kRefused ? nullptr : key.value;
}
