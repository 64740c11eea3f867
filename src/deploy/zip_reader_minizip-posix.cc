#include <minizip/unzip.h>

#include <string>

#include "deploy/zip_reader.h"
#include "platform/file_system.h"

namespace {

void* Open(void*, const char* archivePath) {
  std::string native;
  if (!NativePath(archivePath, &native)) return nullptr;
  return unzOpen(native.c_str());
}

int GetCurrentFileInfo(void* archive, ZipEntryInfo* info, char* name, unsigned long nameSize) {
  unz_file_info record;
  int result = unzGetCurrentFileInfo(archive, &record, name, nameSize, nullptr, 0, nullptr, 0);
  if (result == UNZ_OK) {
    info->dosDate = static_cast<uint32_t>(record.dosDate);
    info->uncompressedSize = static_cast<uint32_t>(record.uncompressed_size);
    info->nameSize = static_cast<uint32_t>(record.size_filename);
    info->utf8Name = (record.flag & kZipUtf8NameFlag) != 0;
    info->method = static_cast<uint32_t>(record.compression_method);
  }
  return result;
}

int OpenCurrentFile(void* archive) { return unzOpenCurrentFile(archive); }

int ReadCurrentFile(void* archive, void* buffer, unsigned size) {
  return unzReadCurrentFile(archive, buffer, size);
}

int CloseCurrentFile(void* archive) { return unzCloseCurrentFile(archive); }
int GoToNextFile(void* archive) { return unzGoToNextFile(archive); }
int Close(void* archive) { return unzClose(archive); }

const ZipReader kMinizipReader = {
    nullptr,      Open, GetCurrentFileInfo, OpenCurrentFile, ReadCurrentFile, CloseCurrentFile,
    GoToNextFile, Close};

static_assert(UNZ_OK == kZipOk && UNZ_END_OF_LIST_OF_FILE == kZipEndOfList,
              "the extraction's result codes are minizip's");

}  // namespace

const ZipReader* MinizipReader() { return &kMinizipReader; }
