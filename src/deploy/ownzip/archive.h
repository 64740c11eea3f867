// State behind an archive handle, shared by the directory walker and the entry stream.
#ifndef LAUNCHER_DEPLOY_OWNZIP_ARCHIVE_H
#define LAUNCHER_DEPLOY_OWNZIP_ARCHIVE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "deploy/ownzip/raw_inflate.h"
#include "deploy/ownzip/zip_file.h"

namespace ownzip {

// One central directory record, sizes widened as minizip keeps them.
struct CentralEntry {
  unsigned long version = 0;
  unsigned long versionNeeded = 0;
  unsigned long flag = 0;
  unsigned long compressionMethod = 0;
  unsigned long dosDate = 0;
  unsigned long crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  unsigned long nameSize = 0;
  unsigned long extraSize = 0;
  unsigned long commentSize = 0;
  unsigned long diskNumberStart = 0;
  unsigned long internalAttributes = 0;
  unsigned long externalAttributes = 0;
  std::uint64_t localHeaderOffset = 0;
};

// Where the caller wants the variable-length parts of a central record copied.
struct EntryBuffers {
  char* name = nullptr;
  unsigned long nameSize = 0;
  void* extra = nullptr;
  unsigned long extraSize = 0;
  char* comment = nullptr;
  unsigned long commentSize = 0;
};

// Compressed bytes are fed to the decoder from a fixed buffer of this size, read in chunks
// of this size (the chunking decides which read call reports a truncation, so it is
// kept equal to minizip's).
constexpr unsigned kInputChunk = 16384;

struct EntryStream {
  bool open = false;
  bool deflated = false;
  // The data ended before the recorded uncompressed size was delivered.
  bool endedShort = false;
  std::uint64_t restCompressed = 0;
  std::uint64_t restUncompressed = 0;
  std::uint64_t nextReadOffset = 0;  // of the next chunk, before bytesBefore
  unsigned long crc = 0;
  unsigned long expectedCrc = 0;
  // The compressed bytes of the current chunk not yet decoded.
  const unsigned char* nextIn = nullptr;
  std::size_t availableIn = 0;
  unsigned char input[kInputChunk];
  // Made with the stream and reset for each entry.
  RawInflate inflater;
};

struct Archive {
  // The central directory is walked through one stream and entry data read through
  // another, so neither keeps discarding the other's buffer when they alternate.
  ZipFile file;
  ZipFile dataFile;
  std::string path;  // to open dataFile with; cleared once that was tried
  std::uint64_t entryCount = 0;
  std::uint64_t centralDirOffset = 0;
  std::uint64_t centralDirSize = 0;
  // Bytes in front of the archive proper (a self-extractor stub, say): offsets inside
  // the archive are relative to its start.
  std::uint64_t bytesBefore = 0;
  std::uint64_t recordOffset = 0;  // of the current record in the central directory
  std::uint64_t entryIndex = 0;
  bool currentOk = false;
  CentralEntry current;
  EntryStream* stream = nullptr;  // allocated when the first entry's data is opened

  ~Archive();
};

// central_directory.cc
Archive* OpenArchive(const char* path);
int ReadCentralEntry(Archive& archive, CentralEntry* entry, const EntryBuffers& out);
int GoToFirstRecord(Archive& archive);
int GoToNextRecord(Archive& archive);
// The stream for local headers and data; the directory stream if a second one
// cannot be opened.
ZipFile& DataStream(Archive& archive);

// entry_stream.cc
int OpenEntryData(Archive& archive);
int ReadEntryData(Archive& archive, unsigned char* buffer, unsigned size);
int CloseEntryData(Archive& archive);
void FreeEntryStream(Archive& archive);

}  // namespace ownzip

#endif
