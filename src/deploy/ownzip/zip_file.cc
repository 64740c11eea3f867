#include "deploy/ownzip/zip_file.h"

#include <sys/types.h>

#include <cstring>

namespace ownzip {
namespace detail {

namespace {

#ifdef _WIN32
int seek64(std::FILE* f, std::int64_t offset, int origin) {
  return _fseeki64(f, offset, origin);
}
std::int64_t tell64(std::FILE* f) { return _ftelli64(f); }
#else
int seek64(std::FILE* f, std::int64_t offset, int origin) {
  return fseeko(f, static_cast<off_t>(offset), origin);
}
std::int64_t tell64(std::FILE* f) { return ftello(f); }
#endif

}  // namespace

bool FieldBlock::get(std::size_t offset, std::size_t width, std::uint64_t* value) const {
  std::uint64_t v = 0;
  unsigned last = 0;
  for (std::size_t i = 0; i < width; ++i) {
    if (offset + i < got_) {
      last = bytes_[offset + i];
    } else if (io_error_) {
      *value = 0;
      return false;
    }
    v |= static_cast<std::uint64_t>(last) << (8 * i);
  }
  *value = v;
  return true;
}

ZipFile::~ZipFile() {
  if (f_ != nullptr) std::fclose(f_);
}

bool ZipFile::open(const char* path) {
  f_ = std::fopen(path, "rb");
  if (f_ == nullptr) return false;
  std::setvbuf(f_, nullptr, _IONBF, 0);  // the window is the buffer
  window_start_ = 0;
  window_len_ = cursor_ = 0;
  return true;
}

bool ZipFile::seek(std::uint64_t offset) {
  if (offset >= window_start_ && offset - window_start_ <= window_len_) {
    cursor_ = static_cast<std::size_t>(offset - window_start_);
    return true;
  }
  if (seek64(f_, static_cast<std::int64_t>(offset), SEEK_SET) != 0) return false;
  window_start_ = offset;
  window_len_ = cursor_ = 0;
  return true;
}

bool ZipFile::skip(long delta) {
  std::uint64_t here = window_start_ + cursor_;
  if (delta < 0 && static_cast<std::uint64_t>(-static_cast<std::int64_t>(delta)) > here) {
    return false;  // before the start of the file
  }
  return seek(here + static_cast<std::uint64_t>(static_cast<std::int64_t>(delta)));
}

bool ZipFile::seek_end_and_tell(std::uint64_t* size) {
  if (seek64(f_, 0, SEEK_END) != 0) return false;
  *size = static_cast<std::uint64_t>(tell64(f_));
  window_start_ = *size;
  window_len_ = cursor_ = 0;
  return true;
}

std::size_t ZipFile::read(void* dst, std::size_t n) {
  unsigned char* out = static_cast<unsigned char*>(dst);
  std::size_t done = 0;
  while (done < n) {
    std::size_t buffered = window_len_ - cursor_;
    if (buffered > 0) {
      std::size_t take = n - done < buffered ? n - done : buffered;
      std::memcpy(out + done, window_ + cursor_, take);
      cursor_ += take;
      done += take;
      continue;
    }
    // Window used up: move it on to the current position.
    window_start_ += window_len_;
    cursor_ = 0;
    window_len_ = std::fread(window_, 1, kWindow, f_);
    if (window_len_ == 0) break;
  }
  return done;
}

bool ZipFile::read_field(std::size_t width, std::uint64_t* value) {
  unsigned char bytes[8];
  return read_block(bytes, width).get(0, width, value);
}

FieldBlock ZipFile::read_block(unsigned char* dst, std::size_t n) {
  std::size_t got = read(dst, n);
  return FieldBlock(dst, got, got < n && io_error());
}

}  // namespace detail
}  // namespace ownzip
