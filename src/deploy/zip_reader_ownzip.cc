#include "deploy/zip_reader.h"

#include <string>

#include "deploy/ownzip/ownzip.h"
#include "platform/file_system.h"

namespace {

void* Open(void*, const char* archivePath) {
  std::string native;
  if (!NativePath(archivePath, &native)) return nullptr;
  return ownzip::OpenZip(native.c_str());
}

int GetCurrentFileInfo(void* archive, ZipEntryInfo* info, char* name, unsigned long nameSize) {
  ownzip::EntryInfo record;
  int result =
      ownzip::GetCurrentEntryInfo(archive, &record, name, nameSize, nullptr, 0, nullptr, 0);
  if (result == ownzip::kOk) {
    info->dosDate = static_cast<uint32_t>(record.dosDate);
    info->uncompressedSize = static_cast<uint32_t>(record.uncompressedSize);
    info->nameSize = static_cast<uint32_t>(record.nameSize);
    info->utf8Name = (record.flag & kZipUtf8NameFlag) != 0;
    info->method = static_cast<uint32_t>(record.compressionMethod);
  }
  return result;
}

int OpenCurrentFile(void* archive) { return ownzip::OpenCurrentEntry(archive); }

int ReadCurrentFile(void* archive, void* buffer, unsigned size) {
  return ownzip::ReadCurrentEntry(archive, buffer, size);
}

int CloseCurrentFile(void* archive) { return ownzip::CloseCurrentEntry(archive); }
int GoToNextFile(void* archive) { return ownzip::GoToNextEntry(archive); }
int Close(void* archive) { return ownzip::CloseZip(archive); }

const ZipReader kOwnZipReader = {
    nullptr,      Open, GetCurrentFileInfo, OpenCurrentFile, ReadCurrentFile, CloseCurrentFile,
    GoToNextFile, Close};

static_assert(ownzip::kOk == kZipOk && ownzip::kEndOfList == kZipEndOfList,
              "the extraction's result codes are the reader's");

}  // namespace

const ZipReader* OwnZipReader() { return &kOwnZipReader; }
const ZipReader* DefaultZipReader() { return &kOwnZipReader; }
