#include "deploy/ownzip/ownzip.h"

#include "deploy/ownzip/archive.h"

namespace ownzip {

namespace {

detail::Archive* archive(unzFile file) { return static_cast<detail::Archive*>(file); }

void to_tm(unsigned long dos_date, tm_unz* tm) {
  unsigned long date = dos_date >> 16;
  tm->tm_mday = static_cast<unsigned>(date & 0x1f);
  tm->tm_mon = static_cast<unsigned>(((date & 0x1e0) / 0x20) - 1);
  tm->tm_year = static_cast<unsigned>(((date & 0xfe00) / 0x200) + 1980);
  tm->tm_hour = static_cast<unsigned>((dos_date & 0xf800) / 0x800);
  tm->tm_min = static_cast<unsigned>((dos_date & 0x7e0) / 0x20);
  tm->tm_sec = static_cast<unsigned>(2 * (dos_date & 0x1f));
}

}  // namespace

unzFile unzOpen(const char* path) {
  if (path == nullptr) return nullptr;
  return detail::open_archive(path);
}

int unzGetCurrentFileInfo(unzFile file, unz_file_info* pfile_info, char* szFileName,
                          unsigned long fileNameBufferSize, void* extraField,
                          unsigned long extraFieldBufferSize, char* szComment,
                          unsigned long commentBufferSize) {
  if (file == nullptr) return UNZ_PARAMERROR;
  detail::EntryBuffers out;
  out.name = szFileName;
  out.name_size = fileNameBufferSize;
  out.extra = extraField;
  out.extra_size = extraFieldBufferSize;
  out.comment = szComment;
  out.comment_size = commentBufferSize;
  detail::CentralEntry e;
  int err = detail::read_central_entry(*archive(file), &e, out);
  if (err == UNZ_OK && pfile_info != nullptr) {
    pfile_info->version = e.version;
    pfile_info->version_needed = e.version_needed;
    pfile_info->flag = e.flag;
    pfile_info->compression_method = e.compression_method;
    pfile_info->dosDate = e.dos_date;
    pfile_info->crc = e.crc;
    pfile_info->compressed_size = static_cast<unsigned long>(e.compressed_size);
    pfile_info->uncompressed_size = static_cast<unsigned long>(e.uncompressed_size);
    pfile_info->size_filename = e.size_filename;
    pfile_info->size_file_extra = e.size_file_extra;
    pfile_info->size_file_comment = e.size_file_comment;
    pfile_info->disk_num_start = e.disk_num_start;
    pfile_info->internal_fa = e.internal_fa;
    pfile_info->external_fa = e.external_fa;
    to_tm(e.dos_date, &pfile_info->tmu_date);
  }
  return err;
}

int unzOpenCurrentFile(unzFile file) {
  if (file == nullptr) return UNZ_PARAMERROR;
  return detail::open_entry(*archive(file));
}

int unzReadCurrentFile(unzFile file, void* buf, unsigned len) {
  if (file == nullptr) return UNZ_PARAMERROR;
  return detail::read_entry(*archive(file), static_cast<unsigned char*>(buf), len);
}

int unzCloseCurrentFile(unzFile file) {
  if (file == nullptr) return UNZ_PARAMERROR;
  return detail::close_entry(*archive(file));
}

int unzGoToNextFile(unzFile file) {
  if (file == nullptr) return UNZ_PARAMERROR;
  return detail::go_to_next_entry(*archive(file));
}

int unzClose(unzFile file) {
  if (file == nullptr) return UNZ_PARAMERROR;
  delete archive(file);
  return UNZ_OK;
}

}  // namespace ownzip
