#include "deploy/ownzip/zip_file.h"

#include <sys/types.h>

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
  return f_ != nullptr;
}

bool ZipFile::seek(std::uint64_t offset) {
  return seek64(f_, static_cast<std::int64_t>(offset), SEEK_SET) == 0;
}

bool ZipFile::skip(long delta) { return seek64(f_, delta, SEEK_CUR) == 0; }

bool ZipFile::seek_end_and_tell(std::uint64_t* size) {
  if (seek64(f_, 0, SEEK_END) != 0) return false;
  *size = static_cast<std::uint64_t>(tell64(f_));
  return true;
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
