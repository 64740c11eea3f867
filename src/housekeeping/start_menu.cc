#include "housekeeping/start_menu.h"

#include <cstring>

#include "core/path_buffer.h"
#include "platform/file_owner.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace {

// `first` + "\" + `second` into a path buffer; false when it would not fit,
// since a cut path names something else.
bool JoinPath(const char* first, const char* second, char* joined) {
  size_t firstLength = std::strlen(first);
  size_t secondLength = std::strlen(second);
  if (firstLength + 1 + secondLength >= kPathBufferSize) return false;
  std::memcpy(joined, first, firstLength);
  joined[firstLength] = '\\';
  std::memcpy(joined + firstLength + 1, second, secondLength + 1);
  return true;
}

// Creates every missing directory of `destination` below its first
// component (normally the drive, which is taken as given). The path is split
// at every backslash byte. Backslashes that lead the path stay with the first
// component, so that a rooted or UNC path ("\dir", "\\server\share\dir") is
// not taken as relative to the current directory.
bool CreateFolderAndParents(const char* destination) {
  char prefix[kPathBufferSize];
  size_t length = 0;
  const char* p = destination;
  while (*p == '\\' && length < kPathBufferSize - 1) prefix[length++] = *p++;
  bool first = true;
  while (*p != '\0') {
    if (*p == '\\') {
      ++p;
      continue;
    }
    size_t component = std::strcspn(p, "\\");
    size_t needed = (first ? 0 : 1) + component;
    if (length + needed >= kPathBufferSize) return false;
    if (!first) prefix[length++] = '\\';
    std::memcpy(prefix + length, p, component);
    length += component;
    prefix[length] = '\0';
    if (!first && !PathExists(prefix) && !CreateDirectoryAt(prefix)) return false;
    first = false;
    p += component;
  }
  return !first;
}

// A destination of backslashes only, or an empty one, names no folder of its
// own: joining entry names to it would put them at the root of the current
// drive.
bool NamesAFolder(const char* destination) {
  return destination[std::strspn(destination, "\\")] != '\0';
}

}  // namespace

int MoveDirectoryTree(const char* source, const char* destination,
                      std::vector<std::string>* linksLeft) {
  if (!NamesAFolder(destination)) return 0;
  if (!PathExists(destination) && !CreateFolderAndParents(destination)) return 0;
  char pattern[kPathBufferSize];
  if (!JoinPath(source, "*.*", pattern)) return 0;
  DirectoryListing listing;
  DirectoryEntry entry;
  if (!FindFirstEntry(pattern, &listing, &entry)) return 0;
  int result = 1;
  do {
    if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0) continue;
    char entrySource[kPathBufferSize];
    char entryDestination[kPathBufferSize];
    if (!JoinPath(source, entry.name, entrySource) ||
        !JoinPath(destination, entry.name, entryDestination)) {
      result = 0;
      break;
    }
    // Only a plain directory is walked into. A link stays: moved, it would
    // put whatever it leads to into every user's Start menu. Anything with
    // another attribute (read-only, hidden) is moved as one piece.
    const uint32_t attributes = GetPathAttributes(entrySource);
    if (attributes != kInvalidFileAttributes && (attributes & kAttributeReparsePoint) != 0) {
      if (linksLeft != nullptr) linksLeft->push_back(entrySource);
    } else if (attributes == kAttributeDirectory) {
      if (!MoveDirectoryTree(entrySource, entryDestination, linksLeft)) {
        result = 0;
        break;
      }
    } else if (!MoveFileReplacing(entrySource, entryDestination)) {
      result = 0;
      break;
    }
  } while (FindNextEntry(&listing, &entry));
  CloseListing(&listing);
  return result;
}

StartMenuPlan PlanStartMenuRelocation(const char* source, const char* folderName) {
  StartMenuPlan plan;
  plan.source = source != nullptr ? source : "";
  plan.target[0] = '\0';
  if (source == nullptr || folderName == nullptr) {
    plan.block = RelocationBlock::kNameRefused;
    return plan;
  }
  char programs[kPathBufferSize];
  if (!GetCommonProgramsFolder(programs, sizeof(programs))) return plan;
  plan.block = RelocationBlock::kTargetTooLong;
  if (!JoinPath(programs, folderName, plan.target)) return plan;
  const uint32_t attributes = GetPathAttributes(plan.source);
  plan.block = attributes == kInvalidFileAttributes ? RelocationBlock::kSourceMissing
               : (attributes & kAttributeReparsePoint) != 0 ? RelocationBlock::kSourceIsLink
               : QueryPathOwner(plan.source) == PathOwner::kOther
                   ? RelocationBlock::kSourceNotAdministrators
               : PathExists(plan.target) ? RelocationBlock::kTargetExists
                                         : RelocationBlock::kNone;
  return plan;
}

StartMenuOutcome RelocateStartMenuFolder(const char* source, const char* folderName) {
  StartMenuOutcome outcome;
  outcome.ran = true;
  outcome.plan = PlanStartMenuRelocation(source, folderName);
  if (outcome.plan.block != RelocationBlock::kNone) return outcome;
  outcome.moved =
      MoveDirectoryTree(outcome.plan.source, outcome.plan.target, &outcome.linksLeft) == 1;
  outcome.sourceRemoved = RemoveDirectoryAt(outcome.plan.source);
  return outcome;
}
