// What the extraction does with one archive entry at one destination,
// decided from the entry's stored name alone. The extraction carries the
// plan out; launcher-check shows it.
#ifndef LAUNCHER_DEPLOY_ENTRY_PLAN_H
#define LAUNCHER_DEPLOY_ENTRY_PLAN_H

#include <string>

#include "deploy/zip_reader.h"

// Entry names arrive in a buffer of this size; longer names are not taken.
constexpr unsigned long kEntryNameSize = 512;

enum class EntryKind { kFile, kDirectory, kRefused };

// Why an entry is left out; kNone for one that is written.
enum class EntrySkip {
  kNone,
  kNameTooLong,      // the stored name does not fit kEntryNameSize
  kUnrepresentable,  // a UTF-8 name with characters the code page lacks
  kHostileName,      // it would land outside the destination, or in a stream
  kPathTooLong,      // destination and name are longer than a path may be
  kThroughLink,      // a folder on its way is a link (see link_guard.h)
};

struct EntryPlan {
  // As the file functions take it ("\" separators, the code page); the
  // stored bytes for an unrepresentable name, empty for a cut one.
  std::string name;
  EntryKind kind = EntryKind::kRefused;
  std::string target;  // destination + name, when the name is taken
  EntrySkip skip = EntrySkip::kNone;
};

// The plan for the entry `info` describes, whose stored name is in
// `storedName` (a buffer of kEntryNameSize, terminated when the name fits),
// below `destination` (a prefix that callers end with a backslash).
EntryPlan PlanArchiveEntry(const char* storedName, const ZipEntryInfo& info,
                           const std::string& destination);

// Why the entry is left out, in words ("" for kNone).
std::string DescribeEntrySkip(EntrySkip skip);

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

#endif
