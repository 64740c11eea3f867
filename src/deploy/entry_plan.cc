#include "deploy/entry_plan.h"

#include <algorithm>
#include <cstring>

#include "core/fixed_names.h"
#include "core/path_buffer.h"
#include "platform/text.h"

namespace {

// Longest path the ANSI file functions take, without the terminator.
constexpr size_t kMaxPathLength = kPathBufferSize - 1;

// A component made of dots and blanks only, at least two dots: Windows drops
// trailing dots and blanks, so it may resolve to the parent directory.
bool IsParentLike(const char* begin, const char* end) {
  int dots = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p == '.') {
      ++dots;
    } else if (*p != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

}  // namespace

bool IsLeadByte(unsigned char byte) { return IsAnsiLeadByte(byte); }

bool EntryNameInCodePage(const char* stored, bool utf8, std::string* name) {
  *name = stored;
  if (utf8 && !Utf8ToAnsi(stored, name)) return false;
  // No trail byte of a code page is 0x2F: every "/" is a separator.
  std::replace(name->begin(), name->end(), '/', '\\');
  return true;
}

EntryKind ClassifyEntryName(const char* name, bool colonRefused) {
  const size_t length = std::strlen(name);
  if (length == 0 || name[0] == '\\') return EntryKind::kRefused;
  if (length >= 2 && name[1] == ':') return EntryKind::kRefused;
  if (colonRefused && std::strchr(name, ':') != nullptr) return EntryKind::kRefused;
  // Every backslash byte splits here, also one that ends a two-byte
  // character: refusing a name too many is safer than one that climbs out.
  const char* component = name;
  for (const char* p = name;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (IsParentLike(component, p)) return EntryKind::kRefused;
      if (*p == '\0') break;
      component = p + 1;
    }
  }
  if (length >= 2 && name[length - 1] == '\\' &&
      !IsLeadByte(static_cast<unsigned char>(name[length - 2])))
    return EntryKind::kDirectory;
  return EntryKind::kFile;
}

EntryPlan PlanArchiveEntry(const char* storedName, const ZipEntryInfo& info,
                           const std::string& destination) {
  EntryPlan plan;
  // A name that did not fit arrives cut and unterminated.
  if (info.nameSize >= kEntryNameSize) {
    plan.skip = EntrySkip::kNameTooLong;
  } else if (!EntryNameInCodePage(storedName, info.utf8Name, &plan.name)) {
    plan.name = storedName;
    plan.skip = EntrySkip::kUnrepresentable;
  } else {
    plan.kind = ClassifyEntryName(plan.name.c_str(), kEntryColonRefused);
    if (plan.kind == EntryKind::kRefused) {
      plan.skip = EntrySkip::kHostileName;
    } else {
      plan.target = destination + plan.name;
      if (plan.target.size() > kMaxPathLength) plan.skip = EntrySkip::kPathTooLong;
    }
  }
  return plan;
}

std::string DescribeEntrySkip(EntrySkip skip) {
  switch (skip) {
    case EntrySkip::kNone: return "";
    case EntrySkip::kNameTooLong:
      return "name longer than " + std::to_string(kEntryNameSize - 1) + " bytes";
    case EntrySkip::kUnrepresentable:
      return "UTF-8 name: code page " + std::to_string(CurrentAnsiCodePage()) +
             " cannot hold its characters";
    case EntrySkip::kHostileName: return "hostile name: would land outside the folder";
    case EntrySkip::kThroughLink: return "a folder on its way is a link";
    case EntrySkip::kPathTooLong:
      return "path longer than " + std::to_string(kMaxPathLength) + " characters";
  }
  return "";
}
