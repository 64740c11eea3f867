#include "deploy/zip_extraction.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/path_buffer.h"
#include "deploy/link_guard.h"
#include "deploy/pending_files.h"
#include "deploy/temporary_files.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

// Longest path the ANSI file functions take, without the terminator.
constexpr size_t kMaxPathLength = kPathBufferSize - 1;

// The length of the part of `path` that names a UNC root: "\\server\share"
// (0 when `path` is no UNC path). Below it nothing can be created.
size_t UncRootLength(const std::string& path) {
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return 0;
  int separators = 0;
  for (size_t p = 2; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\' && ++separators == 2) return p;
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return path.size();
}

// The length of the directory part of `path`, its last backslash included
// (0 when it has none), scanning lead bytes as the directory creation does.
size_t DirectoryPartLength(const std::string& path) {
  size_t length = 0;
  for (size_t p = 0; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\') length = p + 1;
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return length;
}

// Why no temporary file could be made beside a target.
enum class TemporaryFailure { kNone, kNoRoom, kNamesTaken, kRefused };

// Creates a new, empty file beside `target` under a name of this run's own.
TemporaryFailure CreateTemporaryBeside(const std::string& target, std::string* temporary,
                                       OutputFile* file) {
  static const uint32_t pid = CurrentProcessId();
  static uint32_t number = 0;
  const std::string directory = target.substr(0, DirectoryPartLength(target));
  const size_t room = kMaxPathLength - std::min(kMaxPathLength, directory.size());
  if (room == 0) return TemporaryFailure::kNoRoom;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    *temporary = directory + TemporaryFileName(pid, number++, room);
    if (CreateNewOutputFile(temporary->c_str(), file)) return TemporaryFailure::kNone;
    // Only a name that is taken is worth another try.
    if (!PathExists(*temporary)) return TemporaryFailure::kRefused;
  }
  return TemporaryFailure::kNamesTaken;
}

// Before this extraction first writes into a folder, the temporaries that
// killed runs left there go: one listing per folder, none per file.
void ClearFolderOnce(const std::string& path, const EntrySource& source) {
  const std::string directory = path.substr(0, DirectoryPartLength(path));
  if (!source.cleared->insert(directory).second) return;
  source.outcome->staleTemporariesRemoved += RemoveStaleTemporaries(directory, CurrentProcessId());
}

// A directory about to be made must not meet a file still waiting for its
// move, or the two would land in another order than their entries': the
// files waiting go into place first. A directory this extraction already
// knows is made by no one.
void CompleteBeforeMakingDirectoriesFor(const std::string& path, const EntrySource& source) {
  const size_t directory = DirectoryPartLength(path);
  if (directory == 0) return;
  if (source.known->count(path.substr(0, directory - 1)) == 0) source.pending->complete();
}

// One file entry: handed to the pending files, written or not (kPending), or
// its data could not be opened, which ends the extraction.
EntryResult ExtractFileEntry(const EntryPlan& plan, const EntrySource& source) {
  const ZipReader* reader = source.reader;
  void* archive = source.archive;
  const ZipEntryInfo& info = *source.info;
  const std::string& path = plan.target;
  if (reader->openCurrentFile(archive) != kZipOk) return EntryResult::kDataUnreadable;
  CompleteBeforeMakingDirectoriesFor(path, source);
  CreateDirectoriesUpToLastBackslash(path, source.known, kDirectoryActions,
                                     &source.outcome->directoriesMade);
  ClearFolderOnce(path, source);

  WrittenFile written;
  const TemporaryFailure failure = CreateTemporaryBeside(path, &written.temporary, &written.file);
  const bool created = failure == TemporaryFailure::kNone;
  if (failure == TemporaryFailure::kNamesTaken) source.outcome->namesTaken.push_back(path);

  // Without a file the data is still read through to its end.
  char buffer[kCopyBufferSize];
  bool sound = true;
  uint64_t total = 0;
  for (;;) {
    const int count = reader->readCurrentFile(archive, buffer, sizeof(buffer));
    if (count < 0) {
      sound = false;
      break;
    }
    if (count == 0) break;
    total += static_cast<unsigned>(count);
    if (created && sound && !WriteOutputFile(&written.file, buffer, static_cast<unsigned>(count)))
      sound = false;
  }
  // A file that broke off (a full disk, damaged data) gives its space back
  // at once, before the files after it are written.
  if (created && !sound) {
    CloseOutputFile(&written.file);
    DeleteFileAt(written.temporary.c_str());
  }
  PendingFiles& pending = *source.pending;
  if (created && sound) {
    // Where the system allows, the times go through the handle that wrote
    // the file, before the flush, so that the flush covers them too.
    written.stamped = StampOutputFileFromDos(&written.file, info.dosDate);
    written.target = path;
    written.dosDate = info.dosDate;
    pending.add(std::move(written));
    if (pending.full()) pending.flush();
  }
  // Reports a CRC mismatch once the whole entry was read. Data that ends
  // short is caught by its length: not every reader reports it.
  const bool complete =
      reader->closeCurrentFile(archive) == kZipOk && total == info.uncompressedSize;
  if (!created || !sound) {
    pending.fail(path);
  } else if (!complete) {
    pending.discardLast();
    pending.fail(path);
  }
  if (pending.full()) pending.complete();
  return EntryResult::kPending;
}

EntryResult WriteEntry(void*, const EntryPlan& plan, const EntrySource& source) {
  if (plan.skip != EntrySkip::kNone) return EntryResult::kSkipped;
  if (plan.kind == EntryKind::kFile) return ExtractFileEntry(plan, source);
  CompleteBeforeMakingDirectoriesFor(plan.target, source);
  const bool made = CreateDirectoriesUpToLastBackslash(plan.target, source.known, kDirectoryActions,
                                                       &source.outcome->directoriesMade);
  // Fails for a directory, which keeps the times of its making.
  SetFileTimesFromDos(plan.target, source.info->dosDate);
  return made ? EntryResult::kDone : EntryResult::kFailed;
}

bool ExistsAt(void*, const char* path) { return PathExists(path); }
bool CreateAt(void*, const char* path) { return CreateDirectoryAt(path); }

}  // namespace

const EntryActions kWritingEntryActions = {nullptr, WriteEntry};

bool PathExists(const std::string& path) { return PathExists(path.c_str()); }

const DirectoryActions kDirectoryActions = {nullptr, ExistsAt, CreateAt};

bool CreateDirectoriesUpToLastBackslash(const std::string& path, KnownDirectories* known,
                                        const DirectoryActions& actions, uint32_t* made) {
  const size_t uncRoot = UncRootLength(path);
  for (size_t p = 0; p < path.size();) {
    const unsigned char byte = static_cast<unsigned char>(path[p]);
    if (byte == '\\' && (uncRoot == 0 || p > uncRoot)) {
      const std::string prefix = path.substr(0, p);
      if (known == nullptr || known->count(prefix) == 0) {
        if (!actions.exists(actions.context, prefix.c_str())) {
          if (!actions.create(actions.context, prefix.c_str())) return false;
          if (made != nullptr) ++*made;
        }
        if (known != nullptr) known->insert(prefix);
      }
    }
    p += (IsLeadByte(byte) && p + 1 < path.size()) ? 2 : 1;
  }
  return true;
}

ExtractionOutcome ExtractZipArchiveWith(const ZipReader* reader, const std::string& archivePath,
                                        const std::string& destination,
                                        const EntryActions& actions, LinkPolicy links) {
  ExtractionOutcome outcome;
  outcome.archivePath = archivePath;
  outcome.destination = destination;
  void* archive = reader != nullptr ? reader->open(reader->context, archivePath.c_str()) : nullptr;
  if (archive == nullptr) {
    outcome.archiveFound = PathExists(archivePath);
    return outcome;
  }
  outcome.opened = true;

  const bool guarded = links == LinkPolicy::kRefused;
  const bool destinationTrusted = !guarded || DestinationLinksTrusted(destination);
  KnownDirectories known;
  KnownDirectories cleared;
  PendingFiles pending(&outcome);
  char name[kEntryNameSize];
  for (;;) {
    ZipEntryInfo info;
    if (reader->getCurrentFileInfo(archive, &info, name, sizeof(name)) != kZipOk) break;
    EntryPlan plan = PlanArchiveEntry(name, info, destination);
    if (guarded && plan.skip == EntrySkip::kNone &&
        (!destinationTrusted || LinkBelowDestination(plan.target, destination.size())))
      plan.skip = EntrySkip::kThroughLink;
    const EntrySource source = {reader, archive, &info, &known, &pending, &cleared, &outcome};
    switch (actions.carryOut(actions.context, plan, source)) {
      case EntryResult::kDone:
        ++(plan.kind == EntryKind::kDirectory ? outcome.directories : outcome.filesWritten);
        break;
      case EntryResult::kSkipped: outcome.skipped.push_back(plan); break;
      case EntryResult::kFailed: outcome.failed.push_back(plan.target); break;
      case EntryResult::kDataUnreadable: outcome.endedEarly = true; break;
      case EntryResult::kPending: break;  // counted once it is in place
    }
    if (outcome.endedEarly || reader->goToNextFile(archive) == kZipEndOfList) break;
  }
  pending.complete();
  reader->close(archive);
  return outcome;
}

ExtractionOutcome ExtractZipArchive(const std::string& archivePath,
                                    const std::string& destination, LinkPolicy links) {
  return ExtractZipArchiveWith(DefaultZipReader(), archivePath, destination,
                               kWritingEntryActions, links);
}
