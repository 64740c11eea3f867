#include "deploy/ownzip/zip_file.h"

#include <sys/types.h>

#include <cstring>

namespace ownzip {

namespace {

#ifdef _WIN32
int Seek64(std::FILE* file, std::int64_t offset, int origin) {
  return _fseeki64(file, offset, origin);
}
std::int64_t Tell64(std::FILE* file) { return _ftelli64(file); }
#else
int Seek64(std::FILE* file, std::int64_t offset, int origin) {
  return fseeko(file, static_cast<off_t>(offset), origin);
}
std::int64_t Tell64(std::FILE* file) { return ftello(file); }
#endif

}  // namespace

bool FieldAt(const FieldBlock& block, std::size_t offset, std::size_t width,
             std::uint64_t* value) {
  std::uint64_t v = 0;
  unsigned last = 0;
  for (std::size_t i = 0; i < width; ++i) {
    if (offset + i < block.got) {
      last = block.bytes[offset + i];
    } else if (block.ioError) {
      *value = 0;
      return false;
    }
    v |= static_cast<std::uint64_t>(last) << (8 * i);
  }
  *value = v;
  return true;
}

ZipFile::~ZipFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ZipFile::open(const char* path) {
  file_ = std::fopen(path, "rb");
  if (file_ == nullptr) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);  // the window is the buffer
  windowStart_ = 0;
  windowLength_ = cursor_ = 0;
  return true;
}

bool ZipFile::seek(std::uint64_t offset) {
  if (offset >= windowStart_ && offset - windowStart_ <= windowLength_) {
    cursor_ = static_cast<std::size_t>(offset - windowStart_);
    return true;
  }
  if (Seek64(file_, static_cast<std::int64_t>(offset), SEEK_SET) != 0) return false;
  windowStart_ = offset;
  windowLength_ = cursor_ = 0;
  return true;
}

bool ZipFile::skip(long delta) {
  std::uint64_t here = windowStart_ + cursor_;
  if (delta < 0 && static_cast<std::uint64_t>(-static_cast<std::int64_t>(delta)) > here) {
    return false;  // before the start of the file
  }
  return seek(here + static_cast<std::uint64_t>(static_cast<std::int64_t>(delta)));
}

bool ZipFile::seekEndAndTell(std::uint64_t* size) {
  if (Seek64(file_, 0, SEEK_END) != 0) return false;
  *size = static_cast<std::uint64_t>(Tell64(file_));
  windowStart_ = *size;
  windowLength_ = cursor_ = 0;
  return true;
}

std::size_t ZipFile::read(void* destination, std::size_t size) {
  unsigned char* out = static_cast<unsigned char*>(destination);
  std::size_t done = 0;
  while (done < size) {
    std::size_t buffered = windowLength_ - cursor_;
    if (buffered > 0) {
      std::size_t take = size - done < buffered ? size - done : buffered;
      std::memcpy(out + done, window_ + cursor_, take);
      cursor_ += take;
      done += take;
      continue;
    }
    // Window used up: move it on to the current position.
    windowStart_ += windowLength_;
    cursor_ = 0;
    windowLength_ = std::fread(window_, 1, kWindow, file_);
    if (windowLength_ == 0) break;
  }
  return done;
}

bool ZipFile::readField(std::size_t width, std::uint64_t* value) {
  unsigned char bytes[8];
  return FieldAt(readBlock(bytes, width), 0, width, value);
}

FieldBlock ZipFile::readBlock(unsigned char* destination, std::size_t size) {
  std::size_t got = read(destination, size);
  return FieldBlock{destination, got, got < size && ioError()};
}

}  // namespace ownzip
