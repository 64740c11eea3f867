// Byte access to the archive file through stdio, and decoding of little-endian header
// fields the way minizip sees them.
#ifndef LAUNCHER_DEPLOY_OWNZIP_ZIP_FILE_H
#define LAUNCHER_DEPLOY_OWNZIP_ZIP_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ownzip {

// Header fields taken from one block read that may have stopped short.
//
// minizip reads fields a byte at a time and counts end of file as success: the bytes
// of a field past the end keep the value of the last byte it did get (zero if none).
// Damaged archives must list identically with both readers, so fields are decoded
// the same way here; only a real I/O error makes a field fail.
struct FieldBlock {
  const unsigned char* bytes;
  std::size_t got;  // bytes read
  bool ioError;     // the read stopped short on an error, not at the end
};

// Field of `width` (<= 8) bytes at `offset`. False (and 0) if an I/O error cut it.
bool FieldAt(const FieldBlock& block, std::size_t offset, std::size_t width,
             std::uint64_t* value);
// For fields whose failure the caller accumulates.
inline std::uint64_t FieldAt(const FieldBlock& block, std::size_t offset, std::size_t width,
                             bool* ok) {
  std::uint64_t value = 0;
  if (!FieldAt(block, offset, width, &value)) *ok = false;
  return value;
}

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
  bool isOpen() const { return file_ != nullptr; }
  bool seek(std::uint64_t offset);
  bool skip(long delta);
  // Seeks to the end and reports the position (all ones if that cannot be told).
  bool seekEndAndTell(std::uint64_t* size);
  std::size_t read(void* destination, std::size_t size);
  bool ioError() const { return std::ferror(file_) != 0; }

  // Reads `width` consecutive bytes and decodes them as one field (see FieldBlock).
  bool readField(std::size_t width, std::uint64_t* value);
  // Reads up to `size` (<= capacity of `destination`) bytes for a FieldBlock over it.
  FieldBlock readBlock(unsigned char* destination, std::size_t size);

 private:
  std::FILE* file_ = nullptr;
  // window_[0, windowLength_) holds the file from windowStart_ on; the C library's
  // position is always windowStart_ + windowLength_. The read position is
  // windowStart_ + cursor_.
  std::uint64_t windowStart_ = 0;
  std::size_t windowLength_ = 0;
  std::size_t cursor_ = 0;
  unsigned char window_[kWindow];
};

}  // namespace ownzip

#endif
