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
namespace detail {

namespace {

constexpr std::uint64_t kMaxCommentSearch = 0xffff;
constexpr std::size_t kSearchStep = 1024;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::uint32_t kCentralHeaderSig = 0x02014b50;
constexpr std::uint32_t kZip64EndSig = 0x06064b50;

const unsigned char kEndSig[4] = {0x50, 0x4b, 0x05, 0x06};
const unsigned char kZip64LocatorSig[4] = {0x50, 0x4b, 0x06, 0x07};

// Offset of the last occurrence of `sig` starting within the final 64 KiB - 1 bytes
// of the file, scanning back in overlapping windows. 0 means none: a record at the
// very start of the file is never taken (so an archive of nothing but an empty end
// record does not open).
std::uint64_t find_tail_signature(ZipFile& f, const unsigned char* sig) {
  std::uint64_t size = 0;
  if (!f.seek_end_and_tell(&size)) return 0;
  std::uint64_t max_back = kMaxCommentSearch < size ? kMaxCommentSearch : size;
  unsigned char buf[kSearchStep + 4];
  std::uint64_t back = 4;
  while (back < max_back) {
    back = back + kSearchStep > max_back ? max_back : back + kSearchStep;
    std::uint64_t pos = size - back;
    std::size_t n = sizeof buf < size - pos ? sizeof buf : static_cast<std::size_t>(size - pos);
    if (!f.seek(pos) || f.read(buf, n) != n) break;
    for (std::size_t i = n - 3; i-- > 0;) {
      if (buf[i] == sig[0] && buf[i + 1] == sig[1] && buf[i + 2] == sig[2] &&
          buf[i + 3] == sig[3]) {
        return pos + i;
      }
    }
  }
  return 0;
}

// Offset of the zip64 end record named by a zip64 locator, or 0.
std::uint64_t find_zip64_end(ZipFile& f) {
  std::uint64_t locator = find_tail_signature(f, kZip64LocatorSig);
  if (locator == 0 || !f.seek(locator)) return 0;
  unsigned char raw[20];
  FieldBlock b = f.read_block(raw, sizeof raw);
  std::uint64_t sig, disk, record, disks;
  if (!b.get(0, 4, &sig) || !b.get(4, 4, &disk) || disk != 0) return 0;
  if (!b.get(8, 8, &record) || !b.get(16, 4, &disks) || disks != 1) return 0;
  if (!f.seek(record) || !f.read_field(4, &sig) || sig != kZip64EndSig) return 0;
  return record;
}

// A name or comment is stored terminated when it fits its buffer, else as exactly
// `size` bytes. Returns how many bytes to read, after placing the terminator.
unsigned long text_bytes(char* dst, unsigned long size, unsigned long length) {
  if (length < size) {
    dst[length] = '\0';
    return length;
  }
  return size;
}

bool read_text(ZipFile& f, char* dst, unsigned long size, unsigned long length,
               unsigned long n) {
  return length == 0 || size == 0 || f.read(dst, n) == n;
}

// Extra-field blocks are walked only to find where the stream ends up: zip64 sizes
// are not taken from them (minizip 1.1 on LP64 systems never matches its zip64
// markers either), but a comment is read from wherever the walk stopped.
int walk_extra_blocks(ZipFile& f, unsigned long extra_length) {
  int err = UNZ_OK;
  std::uint64_t acc = 0;
  while (acc < extra_length) {
    std::uint64_t id = 0, size = 0;
    if (!f.read_field(2, &id)) err = UNZ_ERRNO;
    if (!f.read_field(2, &size)) err = UNZ_ERRNO;
    if (id != 0x0001 && !f.skip(static_cast<long>(size))) err = UNZ_ERRNO;
    acc += 4 + size;
  }
  return err;
}

}  // namespace

Archive::~Archive() { free_entry_stream(*this); }

ZipFile& Archive::data_stream() {
  if (data_file.is_open()) return data_file;
  if (!path.empty() && data_file.open(path.c_str())) {
    path.clear();
    return data_file;
  }
  path.clear();
  return file;
}

Archive* open_archive(const char* path) {
  Archive* a = new (std::nothrow) Archive;
  if (a == nullptr) return nullptr;
  ZipFile& f = a->file;
  if (!f.open(path)) {
    delete a;
    return nullptr;
  }
  try {
    a->path = path;
  } catch (...) {
    // Without the path the data is read through the directory stream: only slower.
  }
  int err = UNZ_OK;
  bool ok = true;
  std::uint64_t central_pos = find_zip64_end(f);
  if (central_pos != 0) {
    if (!f.seek(central_pos)) err = UNZ_ERRNO;
    unsigned char raw[56];
    FieldBlock b = f.read_block(raw, sizeof raw);
    std::uint64_t disk = b.get(16, 4, &ok);
    std::uint64_t disk_with_cd = b.get(20, 4, &ok);
    a->number_entry = b.get(24, 8, &ok);
    std::uint64_t number_entry_cd = b.get(32, 8, &ok);
    a->size_central_dir = b.get(40, 8, &ok);
    a->offset_central_dir = b.get(48, 8, &ok);
    b.get(0, 4, &ok);  // signature, record size, versions
    b.get(4, 8, &ok);
    b.get(12, 2, &ok);
    b.get(14, 2, &ok);
    if (number_entry_cd != a->number_entry || disk_with_cd != 0 || disk != 0) {
      err = UNZ_BADZIPFILE;
    }
  } else {
    central_pos = find_tail_signature(f, kEndSig);
    if (central_pos == 0) err = UNZ_ERRNO;
    if (!f.seek(central_pos)) err = UNZ_ERRNO;
    unsigned char raw[22];
    FieldBlock b = f.read_block(raw, sizeof raw);
    std::uint64_t disk = b.get(4, 2, &ok);
    std::uint64_t disk_with_cd = b.get(6, 2, &ok);
    a->number_entry = b.get(8, 2, &ok);
    std::uint64_t number_entry_cd = b.get(10, 2, &ok);
    a->size_central_dir = b.get(12, 4, &ok);
    a->offset_central_dir = b.get(16, 4, &ok);
    b.get(0, 4, &ok);
    b.get(20, 2, &ok);  // archive comment length
    if (number_entry_cd != a->number_entry || disk_with_cd != 0 || disk != 0) {
      err = UNZ_BADZIPFILE;
    }
  }
  if (!ok) err = UNZ_ERRNO;
  // Sums wrap modulo 2^64 as they do in minizip; the result only picks file offsets,
  // each of which is still checked by the seek and read that use it.
  std::uint64_t cd_end = a->offset_central_dir + a->size_central_dir;
  if (err == UNZ_OK && central_pos < cd_end) err = UNZ_BADZIPFILE;
  if (err != UNZ_OK) {
    delete a;
    return nullptr;
  }
  a->byte_before = central_pos - cd_end;
  go_to_first_entry(*a);
  return a;
}

int read_central_entry(Archive& a, CentralEntry* entry, const EntryBuffers& out) {
  ZipFile& f = a.file;
  int err = UNZ_OK;
  if (!f.seek(a.pos_in_central_dir + a.byte_before)) err = UNZ_ERRNO;

  unsigned char raw[kCentralHeaderSize];
  FieldBlock b = f.read_block(raw, sizeof raw);
  std::uint64_t sig = 0;
  if (err == UNZ_OK) {
    if (!b.get(0, 4, &sig)) {
      err = UNZ_ERRNO;
    } else if (sig != kCentralHeaderSig) {
      err = UNZ_BADZIPFILE;
    }
  }
  bool ok = true;
  CentralEntry e;
  e.version = static_cast<unsigned long>(b.get(4, 2, &ok));
  e.version_needed = static_cast<unsigned long>(b.get(6, 2, &ok));
  e.flag = static_cast<unsigned long>(b.get(8, 2, &ok));
  e.compression_method = static_cast<unsigned long>(b.get(10, 2, &ok));
  e.dos_date = static_cast<unsigned long>(b.get(12, 4, &ok));
  e.crc = static_cast<unsigned long>(b.get(16, 4, &ok));
  e.compressed_size = b.get(20, 4, &ok);
  e.uncompressed_size = b.get(24, 4, &ok);
  e.size_filename = static_cast<unsigned long>(b.get(28, 2, &ok));
  e.size_file_extra = static_cast<unsigned long>(b.get(30, 2, &ok));
  e.size_file_comment = static_cast<unsigned long>(b.get(32, 2, &ok));
  e.disk_num_start = static_cast<unsigned long>(b.get(34, 2, &ok));
  e.internal_fa = static_cast<unsigned long>(b.get(36, 2, &ok));
  e.external_fa = static_cast<unsigned long>(b.get(38, 4, &ok));
  e.local_header_offset = b.get(42, 4, &ok);
  if (!ok) err = UNZ_ERRNO;

  // Bytes of the variable part still to be skipped before the next thing read.
  long pending = static_cast<long>(e.size_filename);
  if (err == UNZ_OK && out.name != nullptr) {
    unsigned long n = text_bytes(out.name, out.name_size, e.size_filename);
    if (!read_text(f, out.name, out.name_size, e.size_filename, n)) err = UNZ_ERRNO;
    pending -= static_cast<long>(n);
  }

  if (err == UNZ_OK && out.extra != nullptr) {
    unsigned long n = e.size_file_extra < out.extra_size ? e.size_file_extra : out.extra_size;
    if (pending != 0) {
      if (f.skip(pending)) {
        pending = 0;
      } else {
        err = UNZ_ERRNO;
      }
    }
    if (e.size_file_extra > 0 && out.extra_size > 0 && f.read(out.extra, n) != n) {
      err = UNZ_ERRNO;
    }
    pending += static_cast<long>(e.size_file_extra - n);
  } else {
    pending += static_cast<long>(e.size_file_extra);
  }

  // Only a comment read depends on where the extra-field walk leaves the stream.
  if (err == UNZ_OK && e.size_file_extra != 0 && out.comment != nullptr) {
    pending -= static_cast<long>(e.size_file_extra);
    if (pending != 0) {
      if (f.skip(pending)) {
        pending = 0;
      } else {
        err = UNZ_ERRNO;
      }
    }
    if (err == UNZ_OK) err = walk_extra_blocks(f, e.size_file_extra);
  }

  if (err == UNZ_OK && out.comment != nullptr) {
    unsigned long n = text_bytes(out.comment, out.comment_size, e.size_file_comment);
    if (pending != 0 && !f.skip(pending)) err = UNZ_ERRNO;
    if (!read_text(f, out.comment, out.comment_size, e.size_file_comment, n)) {
      err = UNZ_ERRNO;
    }
  }

  if (err == UNZ_OK && entry != nullptr) *entry = e;
  return err;
}

int go_to_first_entry(Archive& a) {
  a.pos_in_central_dir = a.offset_central_dir;
  a.num_file = 0;
  int err = read_central_entry(a, &a.current, EntryBuffers());
  a.current_file_ok = err == UNZ_OK;
  return err;
}

int go_to_next_entry(Archive& a) {
  if (!a.current_file_ok) return UNZ_END_OF_LIST_OF_FILE;
  // A count of 0xffff may have overflowed, so then the walk runs until a record fails.
  if (a.number_entry != 0xffff && a.num_file + 1 == a.number_entry) {
    return UNZ_END_OF_LIST_OF_FILE;
  }
  a.pos_in_central_dir += kCentralHeaderSize + a.current.size_filename +
                          a.current.size_file_extra + a.current.size_file_comment;
  a.num_file++;
  int err = read_central_entry(a, &a.current, EntryBuffers());
  a.current_file_ok = err == UNZ_OK;
  return err;
}

}  // namespace detail
}  // namespace ownzip
