#include "deploy/link_guard.h"

#include "deploy/entry_plan.h"
#include "platform/file_owner.h"
#include "platform/file_system.h"

namespace {

enum class Walk { kClear, kLink, kUntrustedLink };

// Asks each existing folder on `path`'s way, from the first backslash at or
// after `from` on: each prefix that ends just before a backslash. A drive
// ("C:"), a UNC root and a doubled backslash's empty component name nothing
// to ask; below a folder that is not there, nothing is.
Walk WalkFolders(const std::string& path, size_t from, bool ownerDecides) {
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') start = 2;
  if (path.compare(0, 2, "\\\\") == 0) {
    // \\server\share
    const size_t share = path.find('\\', 2);
    start = share == std::string::npos ? path.size() : path.find('\\', share + 1);
    if (start == std::string::npos) return Walk::kClear;
  }
  size_t p = from > start ? from : start;
  for (size_t component = p; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\') {
      if (p > component && p > start) {
        const std::string folder = path.substr(0, p);
        const uint32_t attributes = GetPathAttributes(folder.c_str());
        if (attributes == kInvalidFileAttributes) return Walk::kClear;
        if ((attributes & kAttributeReparsePoint) != 0) {
          if (!ownerDecides) return Walk::kLink;
          if (QueryPathOwner(folder.c_str()) == PathOwner::kOther) return Walk::kUntrustedLink;
        }
      }
      component = p + 1;
    }
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return Walk::kClear;
}

}  // namespace

bool DestinationLinksTrusted(const std::string& destination) {
  return WalkFolders(destination, 0, true) == Walk::kClear;
}

bool LinkBelowDestination(const std::string& target, size_t destinationLength) {
  return WalkFolders(target, destinationLength, false) != Walk::kClear;
}
