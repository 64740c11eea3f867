// Reader for zip archives offering the part of the minizip 1.1 unzip interface that
// the extraction code uses, so the same code builds against either library.
//
// Signatures, result codes and observable behaviour follow minizip 1.1 (as Debian
// ships it), under names of our own, except where noted next to the function.
#ifndef LAUNCHER_DEPLOY_OWNZIP_OWNZIP_H
#define LAUNCHER_DEPLOY_OWNZIP_OWNZIP_H

namespace ownzip {

// An open archive; null stands for none.
using ZipHandle = void*;

// The values of minizip's result codes, so results compare with its directly.
constexpr int kOk = 0;
constexpr int kEndOfList = -100;
constexpr int kErrno = -1;  // the file could not be read or sought
constexpr int kEof = 0;
constexpr int kParamError = -102;
constexpr int kBadZipFile = -103;
constexpr int kInternalError = -104;
constexpr int kCrcError = -105;

// An entry's DOS stamp taken apart.
struct EntryDate {
  unsigned int second;  // [0,59]
  unsigned int minute;  // [0,59]
  unsigned int hour;    // [0,23]
  unsigned int day;     // [1,31]
  unsigned int month;   // [0,11]
  unsigned int year;    // [1980..2107]
};

struct EntryInfo {
  unsigned long version;
  unsigned long versionNeeded;
  unsigned long flag;
  unsigned long compressionMethod;
  unsigned long dosDate;
  unsigned long crc;
  unsigned long compressedSize;
  unsigned long uncompressedSize;
  unsigned long nameSize;
  unsigned long extraSize;
  unsigned long commentSize;
  unsigned long diskNumberStart;
  unsigned long internalAttributes;
  unsigned long externalAttributes;
  EntryDate date;
};

// Opens the archive at `path` (passed to fopen as given) and selects its first entry.
// Returns null when the file cannot be opened or has no usable end record; like
// minizip, an end record at offset 0 (an archive holding nothing else) is not usable.
ZipHandle OpenZip(const char* path);

// Describes the current entry. The name is copied from the central directory; when it
// does not fit, exactly `nameBufferSize` bytes are stored with no terminator.
int GetCurrentEntryInfo(ZipHandle zip, EntryInfo* info, char* name,
                        unsigned long nameBufferSize, void* extra,
                        unsigned long extraBufferSize, char* comment,
                        unsigned long commentBufferSize);

// Starts reading the current entry's data. Stored (0) and deflated (8) entries only:
// unlike minizip, which hands out the raw compressed bytes of bzip2 (12) entries as if
// they were the content, this returns kBadZipFile for them.
int OpenCurrentEntry(ZipHandle zip);

// Reads up to `size` bytes of the current entry; returns the count, 0 at the end, or a
// negative code. Unlike minizip, data that ends before the size recorded for the entry
// is an error (kBadZipFile) rather than a silent end.
int ReadCurrentEntry(ZipHandle zip, void* buffer, unsigned size);

// Ends reading the current entry. kCrcError when the whole entry was read and its
// checksum does not match; kBadZipFile when its data ended short (see above).
int CloseCurrentEntry(ZipHandle zip);

// Moves to the next entry; kEndOfList after the last one.
int GoToNextEntry(ZipHandle zip);

int CloseZip(ZipHandle zip);

}  // namespace ownzip

#endif
