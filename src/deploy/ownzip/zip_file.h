// Byte access to the archive file through stdio, and decoding of little-endian header
// fields the way minizip sees them.
#ifndef DEPLOY_OWNZIP_ZIP_FILE_H_
#define DEPLOY_OWNZIP_ZIP_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ownzip {
namespace detail {

// Header fields taken from one block read that may have stopped short.
//
// minizip reads fields a byte at a time and counts end of file as success: the bytes
// of a field past the end keep the value of the last byte it did get (zero if none).
// Damaged archives must list identically with both readers, so fields are decoded
// the same way here; only a real I/O error makes a field fail.
class FieldBlock {
 public:
  FieldBlock(const unsigned char* bytes, std::size_t got, bool io_error)
      : bytes_(bytes), got_(got), io_error_(io_error) {}

  // Field of `width` (<= 8) bytes at `offset`. False (and 0) if an I/O error cut it.
  bool get(std::size_t offset, std::size_t width, std::uint64_t* value) const;
  // Convenience for fields whose failure is accumulated by the caller.
  std::uint64_t get(std::size_t offset, std::size_t width, bool* ok) const {
    std::uint64_t v = 0;
    if (!get(offset, width, &v)) *ok = false;
    return v;
  }

 private:
  const unsigned char* bytes_;
  std::size_t got_;
  bool io_error_;
};

// The archive file, read through a window buffer of its own: header walks seek back
// and forth a lot, and seeks that land inside the window cost no system call. Seeks
// outside it go to the C library with the offset as a signed 64-bit value, as
// minizip's do, so an offset the platform refuses fails here exactly when it fails
// there.
class ZipFile {
 public:
  static constexpr std::size_t kWindow = 65536;

  ZipFile() = default;
  ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  bool open(const char* path);
  bool is_open() const { return f_ != nullptr; }
  bool seek(std::uint64_t offset);
  bool skip(long delta);
  // Seeks to the end and reports the position (all ones if that cannot be told).
  bool seek_end_and_tell(std::uint64_t* size);
  std::size_t read(void* dst, std::size_t n);
  bool io_error() const { return std::ferror(f_) != 0; }

  // Reads `width` consecutive bytes and decodes them as one field (see FieldBlock).
  bool read_field(std::size_t width, std::uint64_t* value);
  // Reads up to `n` (<= capacity of `dst`) bytes for a FieldBlock over `dst`.
  FieldBlock read_block(unsigned char* dst, std::size_t n);

 private:
  std::FILE* f_ = nullptr;
  // window_[0, window_len_) holds the file from window_start_ on; the C library's
  // position is always window_start_ + window_len_. The read position is
  // window_start_ + cursor_.
  std::uint64_t window_start_ = 0;
  std::size_t window_len_ = 0;
  std::size_t cursor_ = 0;
  unsigned char window_[kWindow];
};

}  // namespace detail
}  // namespace ownzip

#endif  // DEPLOY_OWNZIP_ZIP_FILE_H_
