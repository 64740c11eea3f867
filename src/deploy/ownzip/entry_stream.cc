// Reading the data of the current entry.
//
// Compressed bytes go through one fixed input buffer, so memory stays flat whatever
// the entry size. Chunk size, the output limit per call and the inflate calls follow
// minizip 1.1 step for step (our decoder stops and fails where zlib's inflate does):
// which call returns how many bytes, and which call reports a damaged or truncated
// entry, then agree between the two readers.
#include <zlib.h>

#include <climits>
#include <cstring>
#include <new>

#include "deploy/ownzip/archive.h"
#include "deploy/ownzip/ownzip.h"

namespace ownzip {

namespace {

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr unsigned long kStored = 0;
constexpr unsigned long kDeflated = 8;
constexpr unsigned long kBzip2 = 12;
constexpr unsigned long kSizeInDescriptor = 8;  // general purpose flag bit 3
constexpr std::uint64_t kZip64Marker = 0xffffffff;

// Checks the local header against the central record; on success `*dataOffset` is
// where the entry's data starts, relative to the archive.
bool CheckLocalHeader(Archive& archive, std::uint64_t* dataOffset) {
  const CentralEntry& c = archive.current;
  ZipFile& file = DataStream(archive);
  if (!file.seek(c.localHeaderOffset + archive.bytesBefore)) return false;
  unsigned char raw[kLocalHeaderSize];
  FieldBlock block = file.readBlock(raw, sizeof raw);
  bool ok = true;
  std::uint64_t signature = FieldAt(block, 0, 4, &ok);
  std::uint64_t flags = FieldAt(block, 6, 2, &ok);
  std::uint64_t method = FieldAt(block, 8, 2, &ok);
  std::uint64_t crc = FieldAt(block, 14, 4, &ok);
  std::uint64_t compressedSize = FieldAt(block, 18, 4, &ok);
  std::uint64_t uncompressedSize = FieldAt(block, 22, 4, &ok);
  std::uint64_t nameLength = FieldAt(block, 26, 2, &ok);
  std::uint64_t extraLength = FieldAt(block, 28, 2, &ok);
  FieldAt(block, 4, 2, &ok);   // version needed
  FieldAt(block, 10, 4, &ok);  // time and date
  if (!ok || signature != kLocalHeaderSignature || method != c.compressionMethod) return false;
  if (method != kStored && method != kDeflated && method != kBzip2) return false;
  bool sizesHere = (flags & kSizeInDescriptor) == 0;
  if (sizesHere && crc != c.crc) return false;
  if (sizesHere && compressedSize != kZip64Marker && compressedSize != c.compressedSize) {
    return false;
  }
  if (sizesHere && uncompressedSize != kZip64Marker &&
      uncompressedSize != c.uncompressedSize) {
    return false;
  }
  if (nameLength != c.nameSize) return false;
  *dataOffset = c.localHeaderOffset + kLocalHeaderSize + nameLength + extraLength;
  return true;
}

// The data ran out before the recorded size: an error, not an end, so a truncated
// or inconsistent entry cannot pass for a complete file.
int EndOfData(EntryStream& s) {
  if (s.restUncompressed == 0) return kEof;
  s.endedShort = true;
  return kBadZipFile;
}

}  // namespace

int OpenEntryData(Archive& archive) {
  if (!archive.currentOk) return kParamError;
  if (archive.stream != nullptr && archive.stream->open) CloseEntryData(archive);
  std::uint64_t dataOffset = 0;
  if (!CheckLocalHeader(archive, &dataOffset)) return kBadZipFile;
  const CentralEntry& c = archive.current;
  // bzip2 is not supported; handing out its compressed bytes as content would be wrong.
  if (c.compressionMethod == kBzip2) return kBadZipFile;

  if (archive.stream == nullptr) {
    archive.stream = new (std::nothrow) EntryStream;
    if (archive.stream == nullptr) return kInternalError;
  }
  EntryStream& s = *archive.stream;
  s.deflated = c.compressionMethod == kDeflated;
  if (s.deflated) s.inflater.reset();
  s.nextIn = nullptr;
  s.availableIn = 0;
  s.endedShort = false;
  s.crc = 0;
  s.expectedCrc = c.crc;
  s.restCompressed = c.compressedSize;
  s.restUncompressed = c.uncompressedSize;
  s.nextReadOffset = dataOffset;
  s.open = true;
  return kOk;
}

int ReadEntryData(Archive& archive, unsigned char* buffer, unsigned size) {
  if (archive.stream == nullptr || !archive.stream->open) return kParamError;
  if (size == 0) return 0;
  // The count is returned as an int; larger requests are simply served in part.
  if (size > static_cast<unsigned>(INT_MAX)) size = static_cast<unsigned>(INT_MAX);
  EntryStream& s = *archive.stream;
  unsigned char* out = buffer;
  std::size_t room = size;
  if (size > s.restUncompressed) room = static_cast<std::size_t>(s.restUncompressed);

  unsigned delivered = 0;
  int err = RawInflate::kOk;
  while (room > 0) {
    if (s.availableIn == 0 && s.restCompressed > 0) {
      unsigned chunk = kInputChunk;
      if (s.restCompressed < chunk) chunk = static_cast<unsigned>(s.restCompressed);
      ZipFile& file = DataStream(archive);
      if (!file.seek(s.nextReadOffset + archive.bytesBefore)) return kErrno;
      if (file.read(s.input, chunk) != chunk) return kErrno;
      s.nextReadOffset += chunk;
      s.restCompressed -= chunk;
      s.nextIn = s.input;
      s.availableIn = chunk;
    }

    unsigned char* before = out;
    if (!s.deflated) {
      if (s.availableIn == 0 && s.restCompressed == 0) {
        return delivered == 0 ? EndOfData(s) : static_cast<int>(delivered);
      }
      std::size_t n = room < s.availableIn ? room : s.availableIn;
      std::memcpy(out, s.nextIn, n);
      s.availableIn -= n;
      s.nextIn += n;
      out += n;
      room -= n;
    } else {
      err = s.inflater.inflate(&s.nextIn, &s.availableIn, &out, &room);
    }
    unsigned produced = static_cast<unsigned>(out - before);
    s.crc = crc32(s.crc, before, produced);
    s.restUncompressed -= produced;
    delivered += produced;
    if (err == RawInflate::kStreamEnd) {
      return delivered == 0 ? EndOfData(s) : static_cast<int>(delivered);
    }
    if (err != RawInflate::kOk) break;
  }
  // The decoder's errors are zlib's codes (Z_DATA_ERROR, Z_BUF_ERROR).
  if (err == RawInflate::kOk) return static_cast<int>(delivered);
  return err;
}

int CloseEntryData(Archive& archive) {
  if (archive.stream == nullptr || !archive.stream->open) return kParamError;
  EntryStream& s = *archive.stream;
  int err = kOk;
  if (s.restUncompressed == 0 && s.crc != s.expectedCrc) err = kCrcError;
  if (s.endedShort) err = kBadZipFile;
  s.open = false;
  return err;
}

void FreeEntryStream(Archive& archive) {
  if (archive.stream == nullptr) return;
  delete archive.stream;
  archive.stream = nullptr;
}

}  // namespace ownzip
