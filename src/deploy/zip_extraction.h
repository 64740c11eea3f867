// Unpacking a whole zip archive into a directory tree.
#ifndef LAUNCHER_DEPLOY_ZIP_EXTRACTION_H
#define LAUNCHER_DEPLOY_ZIP_EXTRACTION_H

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "deploy/entry_plan.h"
#include "deploy/extraction_outcome.h"
#include "deploy/zip_reader.h"

// Entry data streams through one buffer of this size, so memory stays flat
// whatever an entry's size.
constexpr unsigned kCopyBufferSize = 8192;

// The directories one extraction has found or made: each prefix is tested
// once per extraction, not once per entry.
using KnownDirectories = std::set<std::string>;

// How an entry's plan was carried out. A file written but not yet in place
// (kPending) is counted when it gets there.
enum class EntryResult { kDone, kSkipped, kFailed, kDataUnreadable, kPending };

class PendingFiles;

// The reader positioned on the entry being carried out.
struct EntrySource {
  const ZipReader* reader;
  void* archive;
  const ZipEntryInfo* info;
  KnownDirectories* known;
  PendingFiles* pending;  // the files written and not yet in place
  KnownDirectories* cleared;  // folders already rid of earlier runs' temporaries
  ExtractionOutcome* outcome;
};

// What the extraction does with each planned entry: the launcher's actions
// write it; a dry run only collects the plans, so that what it shows comes
// from the very loop the launcher runs. kDataUnreadable ends the extraction.
struct EntryActions {
  void* context;
  EntryResult (*carryOut)(void* context, const EntryPlan& plan, const EntrySource& source);
};

// Writes files and makes directories (`context` unused).
extern const EntryActions kWritingEntryActions;

// Whether the extraction enters links on its way. kRefused suits a
// destination that a user may change (his profile): an entry is skipped
// when a folder on its way below the destination is a link, and every entry
// when a link on the destination's own path was made by anyone but an
// administrator (link_guard.h). Each entry is asked afresh, just before it
// is written.
enum class LinkPolicy { kEntered, kRefused };

// Unpacks every entry of the archive below `destination`, which is a prefix
// (callers end it with a backslash): entry "a/b.txt" lands at
// destination + "a\b.txt", missing directories created on the way, with
// the entry's stamp as its creation and last-write time.
//
// Entries that would land outside the destination are skipped. A file is
// written under a temporary name beside its target and moved over the
// target only when its data is complete and its CRC matches, so a damaged
// entry never replaces or leaves a file. An entry whose data cannot be
// opened ends the extraction there.
ExtractionOutcome ExtractZipArchive(const std::string& archivePath, const std::string& destination,
                                    LinkPolicy links = LinkPolicy::kEntered);
ExtractionOutcome ExtractZipArchiveWith(const ZipReader* reader, const std::string& archivePath,
                                        const std::string& destination,
                                        const EntryActions& actions = kWritingEntryActions,
                                        LinkPolicy links = LinkPolicy::kEntered);

// The file-system calls of the directory creation, replaceable in tests.
struct DirectoryActions {
  void* context;
  bool (*exists)(void* context, const char* path);
  bool (*create)(void* context, const char* path);
};
extern const DirectoryActions kDirectoryActions;

// Creates each missing directory named by a prefix of `path` that ends just
// before a backslash, so the last component is left alone unless the path
// ends in a backslash; false as soon as one cannot be created. The root of
// a UNC path (\\server\share) counts as existing and is never created. The
// prefixes in `known` (none when null) are skipped, and those found or made
// are added; `made` (when given) counts the folders made.
bool CreateDirectoriesUpToLastBackslash(const std::string& path, KnownDirectories* known = nullptr,
                                        const DirectoryActions& actions = kDirectoryActions,
                                        uint32_t* made = nullptr);

// A file or directory of that name exists.
bool PathExists(const std::string& path);

#endif
