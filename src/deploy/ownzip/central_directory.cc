// Locating the end of central directory record and walking the central directory.
//
// The walk reproduces minizip 1.1's handling of damaged and unusual archives (which
// record wins, how far back it is searched for, what a record cut off by end of file
// yields), because on Linux the extraction code runs on minizip itself and both readers
// must list any given file identically.
#include <cstring>
#include <new>

#include "deploy/ownzip/archive.h"
#include "deploy/ownzip/ownzip.h"

namespace ownzip {

namespace {

constexpr std::uint64_t kMaxCommentSearch = 0xffff;
constexpr std::size_t kSearchStep = 1024;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;

const unsigned char kEndSignature[4] = {0x50, 0x4b, 0x05, 0x06};
const unsigned char kZip64LocatorSignature[4] = {0x50, 0x4b, 0x06, 0x07};

// Offset of the last occurrence of `signature` starting within the final 64 KiB - 1
// bytes of the file, scanning back in overlapping windows. 0 means none: a record at
// the very start of the file is never taken (so an archive of nothing but an empty end
// record does not open).
std::uint64_t FindTailSignature(ZipFile& file, const unsigned char* signature) {
  std::uint64_t size = 0;
  if (!file.seekEndAndTell(&size)) return 0;
  std::uint64_t maxBack = kMaxCommentSearch < size ? kMaxCommentSearch : size;
  unsigned char buffer[kSearchStep + 4];
  std::uint64_t back = 4;
  while (back < maxBack) {
    back = back + kSearchStep > maxBack ? maxBack : back + kSearchStep;
    std::uint64_t position = size - back;
    std::size_t n = sizeof buffer < size - position ? sizeof buffer
                                                    : static_cast<std::size_t>(size - position);
    if (!file.seek(position) || file.read(buffer, n) != n) break;
    for (std::size_t i = n - 3; i-- > 0;) {
      if (buffer[i] == signature[0] && buffer[i + 1] == signature[1] &&
          buffer[i + 2] == signature[2] && buffer[i + 3] == signature[3]) {
        return position + i;
      }
    }
  }
  return 0;
}

// Offset of the zip64 end record named by a zip64 locator, or 0.
std::uint64_t FindZip64End(ZipFile& file) {
  std::uint64_t locator = FindTailSignature(file, kZip64LocatorSignature);
  if (locator == 0 || !file.seek(locator)) return 0;
  unsigned char raw[20];
  FieldBlock block = file.readBlock(raw, sizeof raw);
  std::uint64_t signature, disk, record, disks;
  if (!FieldAt(block, 0, 4, &signature) || !FieldAt(block, 4, 4, &disk) || disk != 0) {
    return 0;
  }
  if (!FieldAt(block, 8, 8, &record) || !FieldAt(block, 16, 4, &disks) || disks != 1) {
    return 0;
  }
  if (!file.seek(record) || !file.readField(4, &signature) ||
      signature != kZip64EndSignature) {
    return 0;
  }
  return record;
}

// A name or comment is stored terminated when it fits its buffer, else as exactly
// `size` bytes. Returns how many bytes to read, after placing the terminator.
unsigned long TextBytes(char* destination, unsigned long size, unsigned long length) {
  if (length < size) {
    destination[length] = '\0';
    return length;
  }
  return size;
}

bool ReadText(ZipFile& file, char* destination, unsigned long size, unsigned long length,
              unsigned long n) {
  return length == 0 || size == 0 || file.read(destination, n) == n;
}

// Extra-field blocks are walked only to find where the stream ends up: zip64 sizes
// are not taken from them (minizip 1.1 on LP64 systems never matches its zip64
// markers either), but a comment is read from wherever the walk stopped.
int WalkExtraBlocks(ZipFile& file, unsigned long extraLength) {
  int err = kOk;
  std::uint64_t walked = 0;
  while (walked < extraLength) {
    std::uint64_t id = 0, size = 0;
    if (!file.readField(2, &id)) err = kErrno;
    if (!file.readField(2, &size)) err = kErrno;
    if (id != 0x0001 && !file.skip(static_cast<long>(size))) err = kErrno;
    walked += 4 + size;
  }
  return err;
}

}  // namespace

Archive::~Archive() { FreeEntryStream(*this); }

ZipFile& DataStream(Archive& archive) {
  if (archive.dataFile.isOpen()) return archive.dataFile;
  if (!archive.path.empty() && archive.dataFile.open(archive.path.c_str())) {
    archive.path.clear();
    return archive.dataFile;
  }
  archive.path.clear();
  return archive.file;
}

Archive* OpenArchive(const char* path) {
  Archive* a = new (std::nothrow) Archive;
  if (a == nullptr) return nullptr;
  ZipFile& file = a->file;
  if (!file.open(path)) {
    delete a;
    return nullptr;
  }
  try {
    a->path = path;
  } catch (...) {
    // Without the path the data is read through the directory stream: only slower.
  }
  int err = kOk;
  bool ok = true;
  std::uint64_t centralPos = FindZip64End(file);
  if (centralPos != 0) {
    if (!file.seek(centralPos)) err = kErrno;
    unsigned char raw[56];
    FieldBlock block = file.readBlock(raw, sizeof raw);
    std::uint64_t disk = FieldAt(block, 16, 4, &ok);
    std::uint64_t diskWithCentralDir = FieldAt(block, 20, 4, &ok);
    a->entryCount = FieldAt(block, 24, 8, &ok);
    std::uint64_t entryCountOnDisk = FieldAt(block, 32, 8, &ok);
    a->centralDirSize = FieldAt(block, 40, 8, &ok);
    a->centralDirOffset = FieldAt(block, 48, 8, &ok);
    FieldAt(block, 0, 4, &ok);  // signature, record size, versions
    FieldAt(block, 4, 8, &ok);
    FieldAt(block, 12, 2, &ok);
    FieldAt(block, 14, 2, &ok);
    if (entryCountOnDisk != a->entryCount || diskWithCentralDir != 0 || disk != 0) {
      err = kBadZipFile;
    }
  } else {
    centralPos = FindTailSignature(file, kEndSignature);
    if (centralPos == 0) err = kErrno;
    if (!file.seek(centralPos)) err = kErrno;
    unsigned char raw[22];
    FieldBlock block = file.readBlock(raw, sizeof raw);
    std::uint64_t disk = FieldAt(block, 4, 2, &ok);
    std::uint64_t diskWithCentralDir = FieldAt(block, 6, 2, &ok);
    a->entryCount = FieldAt(block, 8, 2, &ok);
    std::uint64_t entryCountOnDisk = FieldAt(block, 10, 2, &ok);
    a->centralDirSize = FieldAt(block, 12, 4, &ok);
    a->centralDirOffset = FieldAt(block, 16, 4, &ok);
    FieldAt(block, 0, 4, &ok);
    FieldAt(block, 20, 2, &ok);  // archive comment length
    if (entryCountOnDisk != a->entryCount || diskWithCentralDir != 0 || disk != 0) {
      err = kBadZipFile;
    }
  }
  if (!ok) err = kErrno;
  // Sums wrap modulo 2^64 as they do in minizip; the result only picks file offsets,
  // each of which is still checked by the seek and read that use it.
  std::uint64_t centralDirEnd = a->centralDirOffset + a->centralDirSize;
  if (err == kOk && centralPos < centralDirEnd) err = kBadZipFile;
  if (err != kOk) {
    delete a;
    return nullptr;
  }
  a->bytesBefore = centralPos - centralDirEnd;
  GoToFirstRecord(*a);
  return a;
}

int ReadCentralEntry(Archive& archive, CentralEntry* entry, const EntryBuffers& out) {
  ZipFile& file = archive.file;
  int err = kOk;
  if (!file.seek(archive.recordOffset + archive.bytesBefore)) err = kErrno;

  unsigned char raw[kCentralHeaderSize];
  FieldBlock block = file.readBlock(raw, sizeof raw);
  std::uint64_t signature = 0;
  if (err == kOk) {
    if (!FieldAt(block, 0, 4, &signature)) {
      err = kErrno;
    } else if (signature != kCentralHeaderSignature) {
      err = kBadZipFile;
    }
  }
  bool ok = true;
  CentralEntry e;
  e.version = static_cast<unsigned long>(FieldAt(block, 4, 2, &ok));
  e.versionNeeded = static_cast<unsigned long>(FieldAt(block, 6, 2, &ok));
  e.flag = static_cast<unsigned long>(FieldAt(block, 8, 2, &ok));
  e.compressionMethod = static_cast<unsigned long>(FieldAt(block, 10, 2, &ok));
  e.dosDate = static_cast<unsigned long>(FieldAt(block, 12, 4, &ok));
  e.crc = static_cast<unsigned long>(FieldAt(block, 16, 4, &ok));
  e.compressedSize = FieldAt(block, 20, 4, &ok);
  e.uncompressedSize = FieldAt(block, 24, 4, &ok);
  e.nameSize = static_cast<unsigned long>(FieldAt(block, 28, 2, &ok));
  e.extraSize = static_cast<unsigned long>(FieldAt(block, 30, 2, &ok));
  e.commentSize = static_cast<unsigned long>(FieldAt(block, 32, 2, &ok));
  e.diskNumberStart = static_cast<unsigned long>(FieldAt(block, 34, 2, &ok));
  e.internalAttributes = static_cast<unsigned long>(FieldAt(block, 36, 2, &ok));
  e.externalAttributes = static_cast<unsigned long>(FieldAt(block, 38, 4, &ok));
  e.localHeaderOffset = FieldAt(block, 42, 4, &ok);
  if (!ok) err = kErrno;

  // Bytes of the variable part still to be skipped before the next thing read.
  long pending = static_cast<long>(e.nameSize);
  if (err == kOk && out.name != nullptr) {
    unsigned long n = TextBytes(out.name, out.nameSize, e.nameSize);
    if (!ReadText(file, out.name, out.nameSize, e.nameSize, n)) err = kErrno;
    pending -= static_cast<long>(n);
  }

  if (err == kOk && out.extra != nullptr) {
    unsigned long n = e.extraSize < out.extraSize ? e.extraSize : out.extraSize;
    if (pending != 0) {
      if (file.skip(pending)) {
        pending = 0;
      } else {
        err = kErrno;
      }
    }
    if (e.extraSize > 0 && out.extraSize > 0 && file.read(out.extra, n) != n) {
      err = kErrno;
    }
    pending += static_cast<long>(e.extraSize - n);
  } else {
    pending += static_cast<long>(e.extraSize);
  }

  // Only a comment read depends on where the extra-field walk leaves the stream.
  if (err == kOk && e.extraSize != 0 && out.comment != nullptr) {
    pending -= static_cast<long>(e.extraSize);
    if (pending != 0) {
      if (file.skip(pending)) {
        pending = 0;
      } else {
        err = kErrno;
      }
    }
    if (err == kOk) err = WalkExtraBlocks(file, e.extraSize);
  }

  if (err == kOk && out.comment != nullptr) {
    unsigned long n = TextBytes(out.comment, out.commentSize, e.commentSize);
    if (pending != 0 && !file.skip(pending)) err = kErrno;
    if (!ReadText(file, out.comment, out.commentSize, e.commentSize, n)) {
      err = kErrno;
    }
  }

  if (err == kOk && entry != nullptr) *entry = e;
  return err;
}

int GoToFirstRecord(Archive& archive) {
  archive.recordOffset = archive.centralDirOffset;
  archive.entryIndex = 0;
  int err = ReadCentralEntry(archive, &archive.current, EntryBuffers());
  archive.currentOk = err == kOk;
  return err;
}

int GoToNextRecord(Archive& archive) {
  if (!archive.currentOk) return kEndOfList;
  // A count of 0xffff may have overflowed, so then the walk runs until a record fails.
  if (archive.entryCount != 0xffff && archive.entryIndex + 1 == archive.entryCount) {
    return kEndOfList;
  }
  archive.recordOffset += kCentralHeaderSize + archive.current.nameSize +
                          archive.current.extraSize + archive.current.commentSize;
  archive.entryIndex++;
  int err = ReadCentralEntry(archive, &archive.current, EntryBuffers());
  archive.currentOk = err == kOk;
  return err;
}

}  // namespace ownzip
