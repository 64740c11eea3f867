// Unpacking a whole zip archive into a directory tree.
#ifndef LAUNCHER_DEPLOY_ZIP_EXTRACTION_H
#define LAUNCHER_DEPLOY_ZIP_EXTRACTION_H

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "deploy/zip_reader.h"

// Entry names arrive in a buffer of this size; longer names are not taken.
constexpr unsigned long kEntryNameSize = 512;
// Entry data streams through one buffer of this size, so memory stays flat
// whatever an entry's size.
constexpr unsigned kCopyBufferSize = 8192;

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
//
// False only when the archive cannot be opened.
bool ExtractZipArchive(const std::string& archivePath, const std::string& destination);
bool ExtractZipArchiveWith(const ZipReader* reader, const std::string& archivePath,
                           const std::string& destination);

enum class EntryKind { kFile, kDirectory, kRefused };

// Classifies a name whose "/" are already "\": refused when it is empty,
// starts with "\", has a drive prefix, a component of two or more dots
// (with blanks, which Windows drops), or, when `colonRefused`, any ":"
// (alternate data streams on Windows). A directory ends with "\" that does
// not close a two-byte character; anything else is a file.
EntryKind ClassifyEntryName(const char* name, bool colonRefused);

// True for the lead bytes of the system's ANSI code page, the page entry
// names are read in (none under 1252 or UTF-8).
bool IsLeadByte(unsigned char byte);

// The entry name as the file functions take it: a UTF-8 name (flag bit 11)
// converted to the ANSI code page, every "/" turned into "\". False when
// the name is malformed UTF-8 or holds a character the code page lacks: such
// an entry is skipped, never written under a name of "?".
bool EntryNameInCodePage(const char* stored, bool utf8, std::string* name);

// The UTF-8 names skipped by EntryNameInCodePage during extractions since
// the last call, for the run log.
std::vector<std::string> TakeUnrepresentableEntryNames();

// Creates each missing directory named by a prefix of `path` that ends just
// before a backslash; false as soon as one cannot be created. The root of a
// UNC path (\\server\share) counts as existing and is never created.
bool CreateDirectoryChain(const std::string& path);

// The directories one extraction has found or made: each prefix is tested
// once per extraction, not once per entry.
using KnownDirectories = std::set<std::string>;

// As above, skipping the prefixes in `known` (none when null) and adding
// those it finds or makes.
bool CreateDirectoryChain(const std::string& path, KnownDirectories* known);

// The file-system calls of CreateDirectoryChain, replaceable in tests.
struct DirectoryActions {
  bool (*exists)(const char* path);
  bool (*create)(const char* path);
};
extern const DirectoryActions kDirectoryActions;
bool CreateDirectoryChainWith(const std::string& path, const DirectoryActions& actions,
                              KnownDirectories* known = nullptr);

// Sets the creation and last-write time of the file at `path` from a DOS
// date/time read as local time; false when the file cannot be opened.
bool SetFileTimesFromDos(const std::string& path, uint32_t dosDateTime);

// A file or directory of that name exists.
bool PathExists(const std::string& path);

#endif
