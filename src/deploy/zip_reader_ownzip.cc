#include "deploy/zip_reader.h"

#include <string>

#include "deploy/ownzip/ownzip.h"
#include "platform/file_system.h"

namespace {

void* Open(void*, const char* archivePath) {
  std::string native;
  if (!NativePath(archivePath, &native)) return nullptr;
  return ownzip::unzOpen(native.c_str());
}

int GetCurrentFileInfo(void* archive, ZipEntryInfo* info, char* name, unsigned long nameSize) {
  ownzip::unz_file_info record;
  int result = ownzip::unzGetCurrentFileInfo(archive, &record, name, nameSize, nullptr, 0,
                                             nullptr, 0);
  if (result == ownzip::UNZ_OK) {
    info->dosDate = static_cast<uint32_t>(record.dosDate);
    info->uncompressedSize = static_cast<uint32_t>(record.uncompressed_size);
    info->nameSize = static_cast<uint32_t>(record.size_filename);
    info->utf8Name = (record.flag & kZipUtf8NameFlag) != 0;
    info->method = static_cast<uint32_t>(record.compression_method);
  }
  return result;
}

int OpenCurrentFile(void* archive) { return ownzip::unzOpenCurrentFile(archive); }

int ReadCurrentFile(void* archive, void* buffer, unsigned size) {
  return ownzip::unzReadCurrentFile(archive, buffer, size);
}

int CloseCurrentFile(void* archive) { return ownzip::unzCloseCurrentFile(archive); }
int GoToNextFile(void* archive) { return ownzip::unzGoToNextFile(archive); }
int Close(void* archive) { return ownzip::unzClose(archive); }

const ZipReader kOwnZipReader = {
    nullptr,      Open, GetCurrentFileInfo, OpenCurrentFile, ReadCurrentFile, CloseCurrentFile,
    GoToNextFile, Close};

}  // namespace

const ZipReader* OwnZipReader() { return &kOwnZipReader; }
const ZipReader* DefaultZipReader() { return &kOwnZipReader; }
