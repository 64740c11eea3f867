// Differential fuzzer: every input is opened with minizip and with ownzip and walked
// entry by entry the way the extraction code walks archives; any difference in what
// the two report aborts.
//
// Two differences are intended (see ownzip.h) and checked for here instead:
//  - bzip2 entries: ownzip refuses to open them (minizip hands out raw bytes);
//  - data ending before the recorded size: ownzip's read and close report
//    kBadZipFile where minizip reports a plain end and success.
#include <minizip/unzip.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "deploy/ownzip/ownzip.h"

namespace {

void Fail(const char* what, long mine, long theirs) {
  std::fprintf(stderr, "difference in %s: minizip %ld, ownzip %ld\n", what, theirs, mine);
  std::abort();
}

void Same(const char* what, long theirs, long mine) {
  if (theirs != mine) Fail(what, mine, theirs);
}

const std::string& ScratchPath() {
  static const std::string path = [] {
    char tmpl[] = "/tmp/zip-differential-XXXXXX";
    int fd = mkstemp(tmpl);
    if (fd < 0) std::abort();
    close(fd);
    return std::string(tmpl);
  }();
  return path;
}

constexpr unsigned kNameBuffer = 512;
constexpr int kMaxEntries = 20000;
constexpr int kMaxReadsPerEntry = 4096;

void CompareInfo(unzFile m, ownzip::ZipHandle o) {
  unz_file_info mi;
  ownzip::EntryInfo oi;
  std::memset(&mi, 0, sizeof mi);
  std::memset(&oi, 0, sizeof oi);
  char mn[kNameBuffer], on[kNameBuffer];
  std::memset(mn, 0xa5, sizeof mn);
  std::memset(on, 0xa5, sizeof on);
  int rm = unzGetCurrentFileInfo(m, &mi, mn, sizeof mn, nullptr, 0, nullptr, 0);
  int ro = ownzip::GetCurrentEntryInfo(o, &oi, on, sizeof on, nullptr, 0, nullptr, 0);
  Same("info result", rm, ro);
  if (std::memcmp(mn, on, sizeof mn) != 0) Fail("name buffer", 0, 0);
  if (rm != UNZ_OK) return;
  Same("dosDate", static_cast<long>(mi.dosDate), static_cast<long>(oi.dosDate));
  Same("version", static_cast<long>(mi.version), static_cast<long>(oi.version));
  Same("flag", static_cast<long>(mi.flag), static_cast<long>(oi.flag));
  Same("method", static_cast<long>(mi.compression_method),
       static_cast<long>(oi.compressionMethod));
  Same("crc", static_cast<long>(mi.crc), static_cast<long>(oi.crc));
  Same("compressed_size", static_cast<long>(mi.compressed_size),
       static_cast<long>(oi.compressedSize));
  Same("uncompressed_size", static_cast<long>(mi.uncompressed_size),
       static_cast<long>(oi.uncompressedSize));
  Same("size_filename", static_cast<long>(mi.size_filename),
       static_cast<long>(oi.nameSize));
  Same("external_fa", static_cast<long>(mi.external_fa),
       static_cast<long>(oi.externalAttributes));
  Same("tm_year", mi.tmu_date.tm_year, oi.date.year);
  Same("tm_mon", mi.tmu_date.tm_mon, oi.date.month);
  Same("tm_sec", mi.tmu_date.tm_sec, oi.date.second);

  // Small extra and comment buffers: copies cut to size, comment found after the walk.
  char me[16], oe[16], mc[24], oc[24];
  std::memset(me, 0x5a, sizeof me);
  std::memset(oe, 0x5a, sizeof oe);
  std::memset(mc, 0x5a, sizeof mc);
  std::memset(oc, 0x5a, sizeof oc);
  // (minizip dereferences the info pointer unconditionally, so it is always passed.)
  rm = unzGetCurrentFileInfo(m, &mi, nullptr, 0, me, sizeof me, mc, sizeof mc);
  ro = ownzip::GetCurrentEntryInfo(o, &oi, nullptr, 0, oe, sizeof oe, oc, sizeof oc);
  Same("info result (extra/comment)", rm, ro);
  if (std::memcmp(me, oe, sizeof me) != 0) Fail("extra buffer", 0, 0);
  if (std::memcmp(mc, oc, sizeof mc) != 0) Fail("comment buffer", 0, 0);
  rm = unzGetCurrentFileInfo(m, &mi, nullptr, 0, nullptr, 0, mc, sizeof mc);
  ro = ownzip::GetCurrentEntryInfo(o, &oi, nullptr, 0, nullptr, 0, oc, sizeof oc);
  Same("info result (comment)", rm, ro);
  if (std::memcmp(mc, oc, sizeof mc) != 0) Fail("comment buffer", 0, 0);
}

void CompareData(unzFile m, ownzip::ZipHandle o, unsigned readSize) {
  // What minizip knows of the entry decides which of the intended differences apply.
  unz_file_info mi;
  std::memset(&mi, 0, sizeof mi);
  int rinfo = unzGetCurrentFileInfo(m, &mi, nullptr, 0, nullptr, 0, nullptr, 0);

  int rm = unzOpenCurrentFile(m);
  int ro = ownzip::OpenCurrentEntry(o);
  if (rinfo == UNZ_OK && mi.compression_method == 12 && rm == UNZ_OK) {
    Same("open result for a bzip2 entry", ownzip::kBadZipFile, ro);
    unzCloseCurrentFile(m);
    return;
  }
  Same("open result", rm, ro);
  if (rm != UNZ_OK) {
    Same("read without open", unzReadCurrentFile(m, nullptr, 1),
         ownzip::ReadCurrentEntry(o, nullptr, 1));
    Same("close without open", unzCloseCurrentFile(m), ownzip::CloseCurrentEntry(o));
    return;
  }
  static unsigned char mb[65536], ob[65536];
  unsigned long total = 0;
  bool endedShort = false;
  for (int i = 0; i < kMaxReadsPerEntry; ++i) {
    rm = unzReadCurrentFile(m, mb, readSize);
    ro = ownzip::ReadCurrentEntry(o, ob, readSize);
    if (rm == 0 && rinfo == UNZ_OK && total < mi.uncompressed_size) {
      Same("read result at a short end", ownzip::kBadZipFile, ro);
      endedShort = true;
      break;
    }
    Same("read result", rm, ro);
    if (rm <= 0) break;
    if (std::memcmp(mb, ob, static_cast<size_t>(rm)) != 0) Fail("data", 0, 0);
    total += static_cast<unsigned long>(rm);
  }
  rm = unzCloseCurrentFile(m);
  ro = ownzip::CloseCurrentEntry(o);
  if (endedShort) {
    Same("close after a short end (minizip)", UNZ_OK, rm);
    Same("close after a short end", ownzip::kBadZipFile, ro);
  } else {
    Same("close result", rm, ro);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  unzFile m = unzOpen(path.c_str());
  ownzip::ZipHandle o = ownzip::OpenZip(path.c_str());
  Same("open", m != nullptr, o != nullptr);
  if (m == nullptr) return 0;

  // Mostly the extraction code's read size; odd sizes now and then.
  static const unsigned kReadSizes[] = {8192, 8192, 8192, 1, 100, 16384, 65536, 8192};
  unsigned readSize = kReadSizes[size % 8];

  for (int n = 0; n < kMaxEntries; ++n) {
    CompareInfo(m, o);
    CompareData(m, o, readSize);
    int rm = unzGoToNextFile(m);
    int ro = ownzip::GoToNextEntry(o);
    Same("next", rm, ro);
    if (rm != UNZ_OK) {
      // Still usable after the walk ends: the cursor stays where it was.
      CompareInfo(m, o);
      break;
    }
  }
  Same("close", unzClose(m), ownzip::CloseZip(o));
  return 0;
}
