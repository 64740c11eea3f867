// State behind an unzFile handle, shared by the directory walker and the entry stream.
#ifndef DEPLOY_OWNZIP_ARCHIVE_H_
#define DEPLOY_OWNZIP_ARCHIVE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "deploy/ownzip/raw_inflate.h"
#include "deploy/ownzip/zip_file.h"

namespace ownzip {
namespace detail {

// One central directory record, sizes widened as minizip keeps them.
struct CentralEntry {
  unsigned long version = 0;
  unsigned long version_needed = 0;
  unsigned long flag = 0;
  unsigned long compression_method = 0;
  unsigned long dos_date = 0;
  unsigned long crc = 0;
  std::uint64_t compressed_size = 0;
  std::uint64_t uncompressed_size = 0;
  unsigned long size_filename = 0;
  unsigned long size_file_extra = 0;
  unsigned long size_file_comment = 0;
  unsigned long disk_num_start = 0;
  unsigned long internal_fa = 0;
  unsigned long external_fa = 0;
  std::uint64_t local_header_offset = 0;
};

// Where the caller wants the variable-length parts of a central record copied.
struct EntryBuffers {
  char* name = nullptr;
  unsigned long name_size = 0;
  void* extra = nullptr;
  unsigned long extra_size = 0;
  char* comment = nullptr;
  unsigned long comment_size = 0;
};

// Compressed bytes are fed to the decoder from a fixed buffer of this size, read in chunks
// of this size (the chunking decides which read call reports a truncation, so it is
// kept equal to minizip's).
constexpr unsigned kInputChunk = 16384;

struct EntryStream {
  bool open = false;
  bool deflated = false;
  // The data ended before the recorded uncompressed size was delivered.
  bool ended_short = false;
  std::uint64_t rest_compressed = 0;
  std::uint64_t rest_uncompressed = 0;
  std::uint64_t next_read_offset = 0;  // of the next chunk, before byte_before
  unsigned long crc = 0;
  unsigned long expected_crc = 0;
  // The compressed bytes of the current chunk not yet decoded.
  const unsigned char* next_in = nullptr;
  std::size_t avail_in = 0;
  unsigned char input[kInputChunk];
  // Made with the stream and reset for each entry.
  RawInflate inflater;
};

struct Archive {
  // The central directory is walked through one stream and entry data read through
  // another, so neither keeps discarding the other's buffer when they alternate.
  ZipFile file;
  ZipFile data_file;
  std::string path;
  std::uint64_t number_entry = 0;
  std::uint64_t offset_central_dir = 0;
  std::uint64_t size_central_dir = 0;
  // Bytes in front of the archive proper (a self-extractor stub, say): offsets inside
  // the archive are relative to its start.
  std::uint64_t byte_before = 0;
  std::uint64_t pos_in_central_dir = 0;
  std::uint64_t num_file = 0;
  bool current_file_ok = false;
  CentralEntry current;
  EntryStream* stream = nullptr;  // allocated on the first unzOpenCurrentFile

  ~Archive();
  // The stream for local headers and data; the directory stream if a second one
  // cannot be opened.
  ZipFile& data_stream();
};

// central_directory.cc
Archive* open_archive(const char* path);
int read_central_entry(Archive& a, CentralEntry* entry, const EntryBuffers& out);
int go_to_first_entry(Archive& a);
int go_to_next_entry(Archive& a);

// entry_stream.cc
int open_entry(Archive& a);
int read_entry(Archive& a, unsigned char* buf, unsigned len);
int close_entry(Archive& a);
void free_entry_stream(Archive& a);

}  // namespace detail
}  // namespace ownzip

#endif  // DEPLOY_OWNZIP_ARCHIVE_H_
