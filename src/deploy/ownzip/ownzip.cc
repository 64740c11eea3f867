#include "deploy/ownzip/ownzip.h"

#include "deploy/ownzip/archive.h"

namespace ownzip {

namespace {

Archive* ArchiveOf(ZipHandle zip) { return static_cast<Archive*>(zip); }

void TakeDateApart(unsigned long dosDate, EntryDate* date) {
  unsigned long day = dosDate >> 16;
  date->day = static_cast<unsigned>(day & 0x1f);
  date->month = static_cast<unsigned>(((day & 0x1e0) / 0x20) - 1);
  date->year = static_cast<unsigned>(((day & 0xfe00) / 0x200) + 1980);
  date->hour = static_cast<unsigned>((dosDate & 0xf800) / 0x800);
  date->minute = static_cast<unsigned>((dosDate & 0x7e0) / 0x20);
  date->second = static_cast<unsigned>(2 * (dosDate & 0x1f));
}

}  // namespace

ZipHandle OpenZip(const char* path) {
  if (path == nullptr) return nullptr;
  return OpenArchive(path);
}

int GetCurrentEntryInfo(ZipHandle zip, EntryInfo* info, char* name,
                        unsigned long nameBufferSize, void* extra,
                        unsigned long extraBufferSize, char* comment,
                        unsigned long commentBufferSize) {
  if (zip == nullptr) return kParamError;
  EntryBuffers out;
  out.name = name;
  out.nameSize = nameBufferSize;
  out.extra = extra;
  out.extraSize = extraBufferSize;
  out.comment = comment;
  out.commentSize = commentBufferSize;
  CentralEntry entry;
  int err = ReadCentralEntry(*ArchiveOf(zip), &entry, out);
  if (err == kOk && info != nullptr) {
    info->version = entry.version;
    info->versionNeeded = entry.versionNeeded;
    info->flag = entry.flag;
    info->compressionMethod = entry.compressionMethod;
    info->dosDate = entry.dosDate;
    info->crc = entry.crc;
    info->compressedSize = static_cast<unsigned long>(entry.compressedSize);
    info->uncompressedSize = static_cast<unsigned long>(entry.uncompressedSize);
    info->nameSize = entry.nameSize;
    info->extraSize = entry.extraSize;
    info->commentSize = entry.commentSize;
    info->diskNumberStart = entry.diskNumberStart;
    info->internalAttributes = entry.internalAttributes;
    info->externalAttributes = entry.externalAttributes;
    TakeDateApart(entry.dosDate, &info->date);
  }
  return err;
}

int OpenCurrentEntry(ZipHandle zip) {
  if (zip == nullptr) return kParamError;
  return OpenEntryData(*ArchiveOf(zip));
}

int ReadCurrentEntry(ZipHandle zip, void* buffer, unsigned size) {
  if (zip == nullptr) return kParamError;
  return ReadEntryData(*ArchiveOf(zip), static_cast<unsigned char*>(buffer), size);
}

int CloseCurrentEntry(ZipHandle zip) {
  if (zip == nullptr) return kParamError;
  return CloseEntryData(*ArchiveOf(zip));
}

int GoToNextEntry(ZipHandle zip) {
  if (zip == nullptr) return kParamError;
  return GoToNextRecord(*ArchiveOf(zip));
}

int CloseZip(ZipHandle zip) {
  if (zip == nullptr) return kParamError;
  delete ArchiveOf(zip);
  return kOk;
}

}  // namespace ownzip
