// Reader for zip archives offering the part of the minizip 1.1 unzip interface that
// the extraction code uses, so the same code builds against either library.
//
// Names, signatures, result codes and observable behaviour follow minizip 1.1 (as
// Debian ships it) except where noted next to the function.
#ifndef DEPLOY_OWNZIP_OWNZIP_H_
#define DEPLOY_OWNZIP_OWNZIP_H_

namespace ownzip {

typedef void* unzFile;

// minizip's <unzip.h> defines the result codes as macros with these same values; when
// it has already been included, its macros stand in for the constants.
#ifndef UNZ_OK
constexpr int UNZ_OK = 0;
constexpr int UNZ_END_OF_LIST_OF_FILE = -100;
constexpr int UNZ_ERRNO = -1;
constexpr int UNZ_EOF = 0;
constexpr int UNZ_PARAMERROR = -102;
constexpr int UNZ_BADZIPFILE = -103;
constexpr int UNZ_INTERNALERROR = -104;
constexpr int UNZ_CRCERROR = -105;
#endif

struct tm_unz {
  unsigned int tm_sec;   // [0,59]
  unsigned int tm_min;   // [0,59]
  unsigned int tm_hour;  // [0,23]
  unsigned int tm_mday;  // [1,31]
  unsigned int tm_mon;   // [0,11]
  unsigned int tm_year;  // [1980..2107]
};

struct unz_file_info {
  unsigned long version;
  unsigned long version_needed;
  unsigned long flag;
  unsigned long compression_method;
  unsigned long dosDate;
  unsigned long crc;
  unsigned long compressed_size;
  unsigned long uncompressed_size;
  unsigned long size_filename;
  unsigned long size_file_extra;
  unsigned long size_file_comment;
  unsigned long disk_num_start;
  unsigned long internal_fa;
  unsigned long external_fa;
  tm_unz tmu_date;
};

// Opens the archive at `path` (passed to fopen as given) and selects its first entry.
// Returns nullptr when the file cannot be opened or has no usable end record; like
// minizip, an end record at offset 0 (an archive holding nothing else) is not usable.
unzFile unzOpen(const char* path);

// Describes the current entry. The name is copied from the central directory; when it
// does not fit, exactly `fileNameBufferSize` bytes are stored with no terminator.
int unzGetCurrentFileInfo(unzFile file, unz_file_info* pfile_info, char* szFileName,
                          unsigned long fileNameBufferSize, void* extraField,
                          unsigned long extraFieldBufferSize, char* szComment,
                          unsigned long commentBufferSize);

// Starts reading the current entry's data. Stored (0) and deflated (8) entries only:
// unlike minizip, which hands out the raw compressed bytes of bzip2 (12) entries as if
// they were the content, this returns UNZ_BADZIPFILE for them.
int unzOpenCurrentFile(unzFile file);

// Reads up to `len` bytes of the current entry; returns the count, 0 at the end, or a
// negative code. Unlike minizip, data that ends before the size recorded for the entry
// is an error (UNZ_BADZIPFILE) rather than a silent end.
int unzReadCurrentFile(unzFile file, void* buf, unsigned len);

// Ends reading the current entry. UNZ_CRCERROR when the whole entry was read and its
// checksum does not match; UNZ_BADZIPFILE when its data ended short (see above).
int unzCloseCurrentFile(unzFile file);

// Moves to the next entry; UNZ_END_OF_LIST_OF_FILE after the last one.
int unzGoToNextFile(unzFile file);

int unzClose(unzFile file);

}  // namespace ownzip

#endif  // DEPLOY_OWNZIP_OWNZIP_H_
