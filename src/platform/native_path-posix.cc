#include "platform/native_path.h"

#include <cstdlib>
#include <string>

#include "platform/ansi_text.h"

namespace {

bool DriveRoot(char letter, std::string* root) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  if (letter < 'A' || letter > 'Z') return false;
  if (letter == 'Z') {
    root->clear();  // Z:\x is /x
    return true;
  }
  std::string variable = "LAUNCHER_DRIVE_";
  variable += letter;
  const char* value = std::getenv(variable.c_str());
  if (value == nullptr || *value == '\0') return false;
  *root = value;
  while (!root->empty() && root->back() == '/') root->pop_back();
  return true;
}

}  // namespace

bool NativePath(const char* path, std::string* native) {
  std::string rest = path;
  native->clear();
  if (rest.empty()) return false;
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    if (!DriveRoot(rest[0], native)) return false;
    rest.erase(0, 2);
    // "C:" and "C:x" are taken as the drive's root: there is no per-drive
    // current directory here.
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) rest.insert(0, "/");
  }
  // A trail byte 0x5C belongs to its character; it is no separator.
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '\\') {
      rest[i] = '/';
    } else if (IsAnsiLeadByte(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size()) {
      ++i;
    }
  }
  *native += rest;
  return true;
}

std::string DrivePathFromNative(const std::string& native) {
  // No trail byte of a code page is 0x2F: every "/" is a separator.
  std::string drive = "Z:";
  for (char c : native) drive += (c == '/') ? '\\' : c;
  return drive;
}
