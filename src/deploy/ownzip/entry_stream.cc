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
namespace detail {

namespace {

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint32_t kLocalHeaderSig = 0x04034b50;
constexpr unsigned long kStored = 0;
constexpr unsigned long kDeflated = 8;
constexpr unsigned long kBzip2 = 12;
constexpr unsigned long kSizeInDescriptor = 8;  // general purpose flag bit 3
constexpr std::uint64_t kZip64Marker = 0xffffffff;

// Checks the local header against the central record; on success `*data_offset` is
// where the entry's data starts, relative to the archive.
bool check_local_header(Archive& a, std::uint64_t* data_offset) {
  const CentralEntry& c = a.current;
  ZipFile& f = a.data_stream();
  if (!f.seek(c.local_header_offset + a.byte_before)) return false;
  unsigned char raw[kLocalHeaderSize];
  FieldBlock b = f.read_block(raw, sizeof raw);
  bool ok = true;
  std::uint64_t sig = b.get(0, 4, &ok);
  std::uint64_t flags = b.get(6, 2, &ok);
  std::uint64_t method = b.get(8, 2, &ok);
  std::uint64_t crc = b.get(14, 4, &ok);
  std::uint64_t csize = b.get(18, 4, &ok);
  std::uint64_t usize = b.get(22, 4, &ok);
  std::uint64_t name_length = b.get(26, 2, &ok);
  std::uint64_t extra_length = b.get(28, 2, &ok);
  b.get(4, 2, &ok);   // version needed
  b.get(10, 4, &ok);  // time and date
  if (!ok || sig != kLocalHeaderSig || method != c.compression_method) return false;
  if (method != kStored && method != kDeflated && method != kBzip2) return false;
  bool sizes_here = (flags & kSizeInDescriptor) == 0;
  if (sizes_here && crc != c.crc) return false;
  if (sizes_here && csize != kZip64Marker && csize != c.compressed_size) return false;
  if (sizes_here && usize != kZip64Marker && usize != c.uncompressed_size) return false;
  if (name_length != c.size_filename) return false;
  *data_offset = c.local_header_offset + kLocalHeaderSize + name_length + extra_length;
  return true;
}

// The data ran out before the recorded size: an error, not an end, so a truncated
// or inconsistent entry cannot pass for a complete file.
int end_of_data(EntryStream& s) {
  if (s.rest_uncompressed == 0) return UNZ_EOF;
  s.ended_short = true;
  return UNZ_BADZIPFILE;
}

}  // namespace

int open_entry(Archive& a) {
  if (!a.current_file_ok) return UNZ_PARAMERROR;
  if (a.stream != nullptr && a.stream->open) close_entry(a);
  std::uint64_t data_offset = 0;
  if (!check_local_header(a, &data_offset)) return UNZ_BADZIPFILE;
  const CentralEntry& c = a.current;
  // bzip2 is not supported; handing out its compressed bytes as content would be wrong.
  if (c.compression_method == kBzip2) return UNZ_BADZIPFILE;

  if (a.stream == nullptr) {
    a.stream = new (std::nothrow) EntryStream;
    if (a.stream == nullptr) return UNZ_INTERNALERROR;
  }
  EntryStream& s = *a.stream;
  s.deflated = c.compression_method == kDeflated;
  if (s.deflated) s.inflater.reset();
  s.next_in = nullptr;
  s.avail_in = 0;
  s.ended_short = false;
  s.crc = 0;
  s.expected_crc = c.crc;
  s.rest_compressed = c.compressed_size;
  s.rest_uncompressed = c.uncompressed_size;
  s.next_read_offset = data_offset;
  s.open = true;
  return UNZ_OK;
}

int read_entry(Archive& a, unsigned char* buf, unsigned len) {
  if (a.stream == nullptr || !a.stream->open) return UNZ_PARAMERROR;
  if (len == 0) return 0;
  // The count is returned as an int; larger requests are simply served in part.
  if (len > static_cast<unsigned>(INT_MAX)) len = static_cast<unsigned>(INT_MAX);
  EntryStream& s = *a.stream;
  unsigned char* out = buf;
  std::size_t room = len;
  if (len > s.rest_uncompressed) room = static_cast<std::size_t>(s.rest_uncompressed);

  unsigned delivered = 0;
  int err = RawInflate::kOk;
  while (room > 0) {
    if (s.avail_in == 0 && s.rest_compressed > 0) {
      unsigned chunk = kInputChunk;
      if (s.rest_compressed < chunk) chunk = static_cast<unsigned>(s.rest_compressed);
      ZipFile& f = a.data_stream();
      if (!f.seek(s.next_read_offset + a.byte_before)) return UNZ_ERRNO;
      if (f.read(s.input, chunk) != chunk) return UNZ_ERRNO;
      s.next_read_offset += chunk;
      s.rest_compressed -= chunk;
      s.next_in = s.input;
      s.avail_in = chunk;
    }

    unsigned char* before = out;
    if (!s.deflated) {
      if (s.avail_in == 0 && s.rest_compressed == 0) {
        return delivered == 0 ? end_of_data(s) : static_cast<int>(delivered);
      }
      std::size_t n = room < s.avail_in ? room : s.avail_in;
      std::memcpy(out, s.next_in, n);
      s.avail_in -= n;
      s.next_in += n;
      out += n;
      room -= n;
    } else {
      err = s.inflater.inflate(&s.next_in, &s.avail_in, &out, &room);
    }
    unsigned produced = static_cast<unsigned>(out - before);
    s.crc = crc32(s.crc, before, produced);
    s.rest_uncompressed -= produced;
    delivered += produced;
    if (err == RawInflate::kStreamEnd) {
      return delivered == 0 ? end_of_data(s) : static_cast<int>(delivered);
    }
    if (err != RawInflate::kOk) break;
  }
  // The decoder's errors are zlib's codes (Z_DATA_ERROR, Z_BUF_ERROR).
  if (err == RawInflate::kOk) return static_cast<int>(delivered);
  return err;
}

int close_entry(Archive& a) {
  if (a.stream == nullptr || !a.stream->open) return UNZ_PARAMERROR;
  EntryStream& s = *a.stream;
  int err = UNZ_OK;
  if (s.rest_uncompressed == 0 && s.crc != s.expected_crc) err = UNZ_CRCERROR;
  if (s.ended_short) err = UNZ_BADZIPFILE;
  s.open = false;
  return err;
}

void free_entry_stream(Archive& a) {
  if (a.stream == nullptr) return;
  delete a.stream;
  a.stream = nullptr;
}

}  // namespace detail
}  // namespace ownzip
