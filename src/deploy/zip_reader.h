// The zip reading the extraction needs, as a table of the seven unzip
// functions, so that the same extraction runs over either reader: our own
// (every build, and the one the launcher uses) or the system's minizip
// (native builds, to compare against).
#ifndef LAUNCHER_DEPLOY_ZIP_READER_H
#define LAUNCHER_DEPLOY_ZIP_READER_H

#include <cstdint>

// The unzip result codes the extraction tells apart.
constexpr int kZipOk = 0;
constexpr int kZipEndOfList = -100;
// General-purpose flag bit 11: name and comment are UTF-8, not the system's
// code page.
constexpr unsigned long kZipUtf8NameFlag = 0x800;

// What the extraction takes from an entry's central-directory record.
struct ZipEntryInfo {
  uint32_t dosDate;           // MS-DOS date (high 16 bits) and time, local
  uint32_t uncompressedSize;  // bytes the entry's data must inflate to
  uint32_t nameSize;          // bytes of the stored name, however many fit
  bool utf8Name;              // general-purpose flag bit 11: the name is UTF-8
  uint32_t method;            // compression method: 0 stored, 8 deflate are read
};

struct ZipReader {
  void* context;  // handed to `open`; each archive carries its own state
  // unzOpen on a path in the launcher's path form; null when the archive
  // cannot be opened. The archive is then on its first entry.
  void* (*open)(void* context, const char* archivePath);
  // unzGetCurrentFileInfo with a name buffer; no extra field, no comment.
  int (*getCurrentFileInfo)(void* archive, ZipEntryInfo* info, char* name,
                            unsigned long nameSize);
  int (*openCurrentFile)(void* archive);  // no password
  // A byte count, 0 at the end of the data, or a negative error code.
  int (*readCurrentFile)(void* archive, void* buffer, unsigned size);
  int (*closeCurrentFile)(void* archive);  // reports a CRC mismatch
  int (*goToNextFile)(void* archive);
  int (*close)(void* archive);
};

// Our own reader (zlib only for its CRC).
const ZipReader* OwnZipReader();
// The system's minizip; null where none exists (the Windows builds).
const ZipReader* MinizipReader();
// The reader the launcher uses: ours, on every platform.
const ZipReader* DefaultZipReader();

#endif
