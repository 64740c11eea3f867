// Tests for ownzip. Archives are built here byte by byte; natively every case is also
// walked with minizip, and both readers must report the same.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"

#ifdef OWNZIP_TEST_WITH_MINIZIP
#include <minizip/unzip.h>
#endif
#include "deploy/ownzip/ownzip.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

namespace {

// minizip's result codes have the same values.
using ownzip::kBadZipFile;
using ownzip::kCrcError;
using ownzip::kEndOfList;
using ownzip::kErrno;
using ownzip::kOk;
using ownzip::kParamError;

using Bytes = std::string;

// An archive in a scratch directory of its own.
class TempZip {
 public:
  explicit TempZip(const Bytes& bytes) : path_(dir_.Path("a.zip")) { dir_.Write("a.zip", bytes); }
  const char* path() const { return path_.c_str(); }

 private:
  TempDir dir_;
  std::string path_;
};

// Everything the extraction code gets to see when it walks an archive.
struct EntryResult {
  int info = 0;
  Bytes name;  // the whole 512-byte buffer up to its first NUL, or all of it
  unsigned long dosDate = 0;
  unsigned long uncompressedSize = 0;
  unsigned long method = 0;
  int open = 0;
  Bytes data;
  std::vector<int> reads;  // every read result
  int close = 0;
  int next = 0;
  bool operator==(const EntryResult& o) const {
    return info == o.info && name == o.name && dosDate == o.dosDate &&
           uncompressedSize == o.uncompressedSize && open == o.open && data == o.data &&
           reads == o.reads && close == o.close && next == o.next;
  }
};

struct Walk {
  bool opened = false;
  std::vector<EntryResult> entries;
  bool operator==(const Walk& o) const { return opened == o.opened && entries == o.entries; }
};

[[maybe_unused]] void PrintTo(const Walk& w, std::ostream* os) {
  *os << (w.opened ? "opened" : "not opened");
  for (const EntryResult& e : w.entries) {
    *os << "\n  info " << e.info << " '" << e.name.substr(0, 40) << "' date " << e.dosDate
        << " open " << e.open << " bytes " << e.data.size() << " reads";
    for (int r : e.reads) *os << ' ' << r;
    *os << " close " << e.close << " next " << e.next;
  }
}

struct OwnApi {
  using File = ownzip::ZipHandle;
  using Info = ownzip::EntryInfo;
  static File open(const char* p) { return ownzip::OpenZip(p); }
  static int info(File f, Info* i, char* n, unsigned long s) {
    return ownzip::GetCurrentEntryInfo(f, i, n, s, nullptr, 0, nullptr, 0);
  }
  static void record(const Info& i, EntryResult* e) {
    e->dosDate = i.dosDate;
    e->uncompressedSize = i.uncompressedSize;
    e->method = i.compressionMethod;
  }
  static int openCurrent(File f) { return ownzip::OpenCurrentEntry(f); }
  static int read(File f, void* b, unsigned n) { return ownzip::ReadCurrentEntry(f, b, n); }
  static int closeCurrent(File f) { return ownzip::CloseCurrentEntry(f); }
  static int next(File f) { return ownzip::GoToNextEntry(f); }
  static int close(File f) { return ownzip::CloseZip(f); }
};

#ifdef OWNZIP_TEST_WITH_MINIZIP
struct MiniApi {
  using File = ::unzFile;
  using Info = ::unz_file_info;
  static File open(const char* p) { return ::unzOpen(p); }
  static int info(File f, Info* i, char* n, unsigned long s) {
    return ::unzGetCurrentFileInfo(f, i, n, s, nullptr, 0, nullptr, 0);
  }
  static void record(const Info& i, EntryResult* e) {
    e->dosDate = i.dosDate;
    e->uncompressedSize = i.uncompressed_size;
    e->method = i.compression_method;
  }
  static int openCurrent(File f) { return ::unzOpenCurrentFile(f); }
  static int read(File f, void* b, unsigned n) { return ::unzReadCurrentFile(f, b, n); }
  static int closeCurrent(File f) { return ::unzCloseCurrentFile(f); }
  static int next(File f) { return ::unzGoToNextFile(f); }
  static int close(File f) { return ::unzClose(f); }
};
#endif

// readSize 0: list the entries only.
template <class Api>
Walk WalkWith(const char* path, unsigned readSize = 8192) {
  Walk w;
  typename Api::File f = Api::open(path);
  w.opened = f != nullptr;
  if (f == nullptr) return w;
  std::vector<char> buf(readSize);
  for (int guard = 0; guard < 200000; ++guard) {
    EntryResult e;
    typename Api::Info info;
    std::memset(&info, 0, sizeof info);
    char name[512];
    std::memset(name, 0, sizeof name);
    e.info = Api::info(f, &info, name, sizeof name);
    e.name.assign(name, strnlen(name, sizeof name));
    Api::record(info, &e);
    e.open = readSize == 0 ? kOk : Api::openCurrent(f);
    if (readSize > 0 && e.open == kOk) {
      int r;
      do {
        r = Api::read(f, buf.data(), readSize);
        e.reads.push_back(r);
        if (r > 0) e.data.append(buf.data(), static_cast<std::size_t>(r));
      } while (r > 0);
      e.close = Api::closeCurrent(f);
    }
    e.next = Api::next(f);
    w.entries.push_back(e);
    if (e.next != kOk) break;
  }
  EXPECT_EQ(Api::close(f), kOk);
  return w;
}

#ifdef OWNZIP_TEST_WITH_MINIZIP
// minizip's walk as ownzip should report it, where ownzip reports errors on purpose.
Walk ExpectedFromMinizip(Walk w) {
  for (EntryResult& e : w.entries) {
    if (e.open != kOk || e.reads.empty()) continue;
    if (e.method == 12) {  // bzip2: refused instead of read raw
      e.open = kBadZipFile;
      e.reads.clear();
      e.data.clear();
      e.close = 0;
    } else if (e.reads.back() == 0 && e.data.size() < e.uncompressedSize) {
      e.reads.back() = kBadZipFile;  // data ended short of the recorded size
      e.close = kBadZipFile;
    }
  }
  return w;
}
#endif

// Walks with ownzip and, natively, checks minizip walks the same way.
Walk WalkBoth(const Bytes& bytes, unsigned readSize = 8192) {
  TempZip zip(bytes);
  Walk own = WalkWith<OwnApi>(zip.path(), readSize);
#ifdef OWNZIP_TEST_WITH_MINIZIP
  EXPECT_EQ(own, ExpectedFromMinizip(WalkWith<MiniApi>(zip.path(), readSize)));
#endif
  return own;
}

Bytes Pattern(std::size_t n, unsigned seed) {
  Bytes s(n, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    // Half random, half runs, so deflate has something to do.
    s[i] = static_cast<char>((i / 64) % 2 ? (x >> 16) : 'a' + (i / 512) % 26);
  }
  return s;
}

// ---------------------------------------------------------------------------
// Well-formed archives

TEST(OwnzipRead, StoredAndDeflatedEntriesInCentralDirectoryOrder) {
  ZipBuilder z;
  z.Add("stored.bin", Pattern(40000, 1), 0);
  z.Add("deflated.txt", Pattern(100000, 2), 8);
  z.Add("empty.txt", "", 8);
  z.Add("empty-stored", "", 0);
  z.Add("dir/", "", 0);
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_TRUE(w.opened);
  ASSERT_EQ(w.entries.size(), 5u);
  const char* names[] = {"stored.bin", "deflated.txt", "empty.txt", "empty-stored", "dir/"};
  for (std::size_t i = 0; i < 5; ++i) {
    const EntryResult& e = w.entries[i];
    EXPECT_EQ(e.info, kOk);
    EXPECT_EQ(e.name, names[i]);
    EXPECT_EQ(e.dosDate, kTestStamp);
    EXPECT_EQ(e.open, kOk);
    EXPECT_EQ(e.data, z.entries[i].data);
    EXPECT_EQ(e.reads.back(), 0);
    EXPECT_EQ(e.close, kOk);
    EXPECT_EQ(e.next, i + 1 < 5 ? kOk : kEndOfList);
  }
  EXPECT_EQ(w.entries[2].reads, std::vector<int>{0});
}

TEST(OwnzipRead, ReadSizesDoNotChangeTheData) {
  ZipBuilder z;
  z.Add("a", Pattern(70000, 3), 8);
  z.Add("b", Pattern(33000, 4), 0);
  Bytes bytes = z.Build().bytes;
  for (unsigned size : {1u, 333u, 16384u, 100000u}) {
    Walk w = WalkBoth(bytes, size);
    ASSERT_EQ(w.entries.size(), 2u) << size;
    EXPECT_EQ(w.entries[0].data, z.entries[0].data) << size;
    EXPECT_EQ(w.entries[1].data, z.entries[1].data) << size;
  }
}

TEST(OwnzipRead, StubInFrontOfTheArchiveIsSkipped) {
  ZipBuilder z;
  z.prefix = Bytes(5000, 'M');
  z.Add("setup.ini", "[setup]\n", 8);
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_EQ(w.entries.size(), 1u);
  EXPECT_EQ(w.entries[0].data, "[setup]\n");
}

TEST(OwnzipRead, NamesLongerThanTheBufferFillItWithoutTerminator) {
  ZipBuilder z;
  z.Add(Bytes(511, 'a'), "x", 0);
  z.Add(Bytes(512, 'b'), "y", 0);
  z.Add(Bytes(700, 'c'), "z", 0);
  TempZip zip(z.Build().bytes);
  ownzip::ZipHandle f = ownzip::OpenZip(zip.path());
  ASSERT_NE(f, nullptr);
  char name[513];
  for (int i = 0; i < 3; ++i) {
    std::memset(name, '#', sizeof name);
    ownzip::EntryInfo info;
    ASSERT_EQ(ownzip::GetCurrentEntryInfo(f, &info, name, 512, nullptr, 0, nullptr, 0),
              kOk);
    if (i == 0) {
      EXPECT_EQ(Bytes(name), Bytes(511, 'a'));
    } else {
      EXPECT_EQ(Bytes(name, 512), Bytes(512, i == 1 ? 'b' : 'c'));
      EXPECT_EQ(name[512], '#');  // nothing written past the buffer
    }
    ASSERT_EQ(ownzip::GoToNextEntry(f), i < 2 ? kOk : kEndOfList);
  }
  EXPECT_EQ(ownzip::CloseZip(f), kOk);
  WalkBoth(z.Build().bytes);
}

TEST(OwnzipRead, ManyEntries) {
  ZipBuilder z;
  for (int i = 0; i < 3000; ++i) z.Add("f" + std::to_string(i), std::to_string(i), i % 2 ? 8 : 0);
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_EQ(w.entries.size(), 3000u);
  EXPECT_EQ(w.entries[2999].name, "f2999");
  EXPECT_EQ(w.entries[2999].data, "2999");
}

// More than 65535 entries, listed without reading their (empty) data.
TEST(OwnzipRead, MoreThan65535Entries) {
  ZipBuilder z;
  for (int i = 0; i < 65600; ++i) z.Add(std::to_string(i), "", 0);
  z.zip64End = true;  // the classic end record then says 0xffff
  Walk w = WalkBoth(z.Build().bytes, 0);
  ASSERT_EQ(w.entries.size(), 65600u);
  EXPECT_EQ(w.entries.back().name, "65599");
  EXPECT_EQ(w.entries.back().next, kEndOfList);

  // Writers without zip64 may store 0xffff for any larger count: the walk then
  // goes on until a record fails.
  z.zip64End = false;
  z.endCount = 0xffff;
  w = WalkBoth(z.Build().bytes, 0);
  ASSERT_EQ(w.entries.size(), 65600u);
  EXPECT_EQ(w.entries.back().next, kBadZipFile);
}

// ---------------------------------------------------------------------------
// Damaged and hostile archives

TEST(OwnzipDamage, ArchivesThatDoNotOpen) {
  ZipBuilder z;
  z.Add("a.txt", Pattern(3000, 5), 8);
  Bytes good = z.Build().bytes;
  EXPECT_FALSE(WalkBoth(good.substr(0, good.size() / 2)).opened);  // truncated
  EXPECT_FALSE(WalkBoth("this is not a zip archive at all\n").opened);
  EXPECT_FALSE(WalkBoth("").opened);
  EXPECT_EQ(ownzip::OpenZip("/nonexistent/dir/file.zip"), nullptr);
  EXPECT_EQ(ownzip::OpenZip(nullptr), nullptr);

  ZipBuilder empty;
  EXPECT_FALSE(WalkBoth(empty.Build().bytes).opened);  // end record alone, at offset 0
  // Behind a stub the same empty archive opens, with no readable entry.
  empty.prefix = "stub";
  Walk w = WalkBoth(empty.Build().bytes);
  ASSERT_TRUE(w.opened);
  ASSERT_EQ(w.entries.size(), 1u);
  EXPECT_EQ(w.entries[0].info, kBadZipFile);
  EXPECT_EQ(w.entries[0].open, kParamError);
  EXPECT_EQ(w.entries[0].next, kEndOfList);
}

TEST(OwnzipDamage, DamagedLocalHeaderFailsOnlyThatEntry) {
  ZipBuilder z;
  z.Add("one", "1111", 8);
  z.Add("two", "2222", 8);
  z.Add("three", "3333", 0);
  const BuiltZip built = z.Build();
  Bytes bytes = built.bytes;
  bytes[built.localHeaderOffsets[1] + 1] = 'X';  // signature
  Walk w = WalkBoth(bytes);
  ASSERT_EQ(w.entries.size(), 3u);
  EXPECT_EQ(w.entries[0].data, "1111");
  EXPECT_EQ(w.entries[1].info, kOk);
  EXPECT_EQ(w.entries[1].open, kBadZipFile);
  EXPECT_EQ(w.entries[2].data, "3333");

  bytes = built.bytes;
  bytes[built.localHeaderOffsets[1] + 8] = 0;  // method no longer matches the directory
  EXPECT_EQ(WalkBoth(bytes).entries[1].open, kBadZipFile);
}

TEST(OwnzipDamage, ChecksumMismatchIsReportedOnceTheEntryIsReadToItsEnd) {
  ZipBuilder z;
  ZipEntrySpec& e = z.Add("bad", Pattern(20000, 6), 8);
  e.crc = 0x12345678;
  Walk w = WalkBoth(z.Build().bytes);
  EXPECT_EQ(w.entries[0].data, e.data);
  EXPECT_EQ(w.entries[0].close, kCrcError);

  // Closing early is not an error: nothing was claimed about the part not read.
  TempZip zip(z.Build().bytes);
  ownzip::ZipHandle f = ownzip::OpenZip(zip.path());
  ASSERT_EQ(ownzip::OpenCurrentEntry(f), kOk);
  char buf[100];
  EXPECT_EQ(ownzip::ReadCurrentEntry(f, buf, sizeof buf), 100);
  EXPECT_EQ(ownzip::CloseCurrentEntry(f), kOk);
  ownzip::CloseZip(f);
}

TEST(OwnzipDamage, TruncatedOrCorruptDataGivesANegativeRead) {
  // Sizes claim far more data than the file holds (sizes live in a descriptor).
  ZipBuilder z;
  ZipEntrySpec& e = z.Add("cut", Pattern(5000, 7), 0);
  e.flags = 8;
  e.compressedSize = e.uncompressedSize = 1 << 20;
  Walk w = WalkBoth(z.Build().bytes);
  EXPECT_EQ(w.entries[0].reads.back(), kErrno);
  EXPECT_TRUE(w.entries[0].data.empty());

  // Deflate stream cut short inside the archive.
  ZipBuilder d;
  ZipEntrySpec& c = d.Add("cut.txt", Pattern(50000, 8), 8);
  c.compressedSize = 100;
  EXPECT_EQ(WalkBoth(d.Build().bytes).entries[0].reads.back(), Z_BUF_ERROR);

  // Garbage where the deflate stream should be.
  ZipBuilder g;
  g.Add("garbage", "\xff\xff\xff\xff\xff\xff", 0);
  const BuiltZip built = g.Build();
  Bytes bytes = built.bytes;
  bytes[built.localHeaderOffsets[0] + 8] = 8;  // claim deflate in both headers
  bytes[bytes.size() - 22 - 46 - 7 + 10] = 8;
  EXPECT_EQ(WalkBoth(bytes).entries[0].reads.back(), Z_DATA_ERROR);
}

TEST(OwnzipDamage, DamageBeyondTheFirstInputChunk) {
  // Compressed data spans several 16 KiB input chunks; which read call reports the
  // damage, and what it delivered before, must match for every read size.
  Bytes big = Pattern(200000, 9);
  ZipBuilder z;
  z.Add("big.bin", big, 8);
  z.Add("after", "tail", 0);
  const BuiltZip built = z.Build();
  const Bytes good = built.bytes;
  const std::size_t data = built.localHeaderOffsets[0] + 30 + 7;
  ASSERT_GT(built.localHeaderOffsets[1] - data, 3u * 16384);

  Bytes corrupt = good;
  for (std::size_t i = 0; i < 64; ++i) corrupt[data + 20000 + i] ^= 0x5a;
  for (unsigned size : {8192u, 1000u}) {
    Walk w = WalkBoth(corrupt, size);
    ASSERT_EQ(w.entries.size(), 2u);
    // This damage decodes to a stream that ends early, so minizip reports success.
    EXPECT_EQ(w.entries[0].reads.back(), kBadZipFile) << size;
    EXPECT_EQ(w.entries[0].close, kBadZipFile) << size;
    EXPECT_EQ(w.entries[1].data, "tail");
  }

  // Compressed size cut inside the third chunk.
  ZipBuilder cut;
  ZipEntrySpec& e = cut.Add("big.bin", big, 8);
  e.compressedSize = 40000;
  for (unsigned size : {8192u, 1000u}) {
    Walk w = WalkBoth(cut.Build().bytes, size);
    ASSERT_EQ(w.entries.size(), 1u);
    EXPECT_EQ(w.entries[0].reads.back(), Z_BUF_ERROR) << size;
    EXPECT_GT(w.entries[0].data.size(), 0u);
    EXPECT_EQ(w.entries[0].data, big.substr(0, w.entries[0].data.size()));
  }

  // The file ends inside the second chunk of a stored entry (its sizes claim all of
  // `big`, only 30000 bytes are there).
  ZipBuilder stored;
  ZipEntrySpec& s = stored.Add("s", big.substr(0, 30000), 0);
  s.flags = 8;
  s.crc = Crc32Of(big);
  s.compressedSize = s.uncompressedSize = static_cast<std::uint32_t>(big.size());
  Walk w = WalkBoth(stored.Build().bytes, 8192);
  ASSERT_EQ(w.entries.size(), 1u);
  EXPECT_EQ(w.entries[0].data, big.substr(0, 16384));
  EXPECT_EQ(w.entries[0].reads.back(), kErrno);
}

TEST(OwnzipDamage, CentralRecordCutOffByEndOfFileReadsLikeMinizip) {
  // The end record sits inside the first record's comment and a second record after
  // it stops inside its date field. Bytes missing at end of file repeat the last byte
  // read of their field (zero if none), so the date comes out as 0x12121234.
  ZipBuilder z;
  z.Add("a", "abc", 0);
  Bytes bytes = z.Build().bytes;
  const std::size_t endRecord = bytes.size() - 22;
  bytes[endRecord - 46 - 1 + 32] = 22;                 // first record's comment length
  bytes[endRecord + 8] = bytes[endRecord + 10] = 2;  // two entries
  Bytes second;
  AppendLittleEndian(second, {{0x02014b50, 4}, {0x00140014, 4}, {0, 4}, {0x1234, 2}});
  Walk w = WalkBoth(bytes + second);
  ASSERT_EQ(w.entries.size(), 2u);
  EXPECT_EQ(w.entries[0].data, "abc");
  EXPECT_EQ(w.entries[1].info, kOk);
  EXPECT_EQ(w.entries[1].name, "");
  EXPECT_EQ(w.entries[1].dosDate, 0x12121234ul);
  EXPECT_EQ(w.entries[1].open, kBadZipFile);
}

TEST(OwnzipDamage, OffsetsBeyondWhatTheSystemSeeksToFailLikeMinizip) {
  ZipBuilder z;
  z.Add("a", "data", 0);
  z.zip64End = true;
  z.zip64Skew = 0xffffffffffffff00ull;  // directory "at" 2^64 - 256: a negative offset
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_TRUE(w.opened);
  EXPECT_EQ(w.entries[0].info, kErrno);
  EXPECT_EQ(w.entries[0].open, kParamError);
  // Far past the end, but within or beyond what the file system allows.
  for (std::uint64_t skew : {10ull << 40, 1ull << 62}) {
    z.zip64Skew = skew;
    w = WalkBoth(z.Build().bytes);
    ASSERT_TRUE(w.opened);
    EXPECT_NE(w.entries[0].info, kOk);
  }
}

TEST(OwnzipDamage, Zip64SizeMarkersAreNotResolved) {
  // Sizes of 0xffffffff with the real (over 4 GiB) values in a zip64 extra field:
  // the extra field is not consulted, so the entry cannot be read.
  ZipBuilder z;
  ZipEntrySpec& e = z.Add("huge.bin", "small", 0);
  e.compressedSize = e.uncompressedSize = 0xffffffff;
  AppendLittleEndian(e.centralExtra, {{1, 2}, {16, 2}, {5ull << 32, 8}, {5ull << 32, 8}});
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_EQ(w.entries.size(), 1u);
  EXPECT_EQ(w.entries[0].info, kOk);
  EXPECT_EQ(w.entries[0].uncompressedSize, 0xfffffffful);
  EXPECT_EQ(w.entries[0].open, kOk);
  EXPECT_EQ(w.entries[0].reads.back(), kErrno);
}

// ---------------------------------------------------------------------------
// Where ownzip deliberately reports an error and minizip does not

TEST(OwnzipSafety, DataEndingBeforeTheRecordedSizeIsAnError) {
  for (unsigned method : {0u, 8u}) {
    ZipBuilder z;
    ZipEntrySpec& e = z.Add("short", "only this", method);
    e.uncompressedSize = 1000;
    Walk w = WalkBoth(z.Build().bytes);
    ASSERT_EQ(w.entries.size(), 1u);
    EXPECT_EQ(w.entries[0].data, "only this") << method;
    EXPECT_EQ(w.entries[0].reads, (std::vector<int>{9, kBadZipFile})) << method;
    EXPECT_EQ(w.entries[0].close, kBadZipFile) << method;
  }
}

TEST(OwnzipSafety, Bzip2EntriesAreRefusedNotHandedOutRaw) {
  ZipBuilder z;
  z.Add("b.bz2", "BZh9 compressed bytes", 12);
  z.Add("next", "ok", 0);
  Walk w = WalkBoth(z.Build().bytes);
  ASSERT_EQ(w.entries.size(), 2u);
  EXPECT_EQ(w.entries[0].open, kBadZipFile);
  EXPECT_EQ(w.entries[1].data, "ok");
}

TEST(OwnzipApi, CallsOutOfOrderAreRejected) {
  EXPECT_EQ(ownzip::CloseZip(nullptr), kParamError);
  EXPECT_EQ(ownzip::GoToNextEntry(nullptr), kParamError);
  EXPECT_EQ(ownzip::OpenCurrentEntry(nullptr), kParamError);
  EXPECT_EQ(ownzip::ReadCurrentEntry(nullptr, nullptr, 1), kParamError);
  EXPECT_EQ(ownzip::CloseCurrentEntry(nullptr), kParamError);

  ZipBuilder z;
  z.Add("a", "abc", 8);
  TempZip zip(z.Build().bytes);
  ownzip::ZipHandle f = ownzip::OpenZip(zip.path());
  ASSERT_NE(f, nullptr);
  char buf[8];
  EXPECT_EQ(ownzip::ReadCurrentEntry(f, buf, sizeof buf), kParamError);
  EXPECT_EQ(ownzip::CloseCurrentEntry(f), kParamError);
  // A null info pointer is allowed (minizip would crash on it).
  EXPECT_EQ(ownzip::GetCurrentEntryInfo(f, nullptr, buf, sizeof buf, nullptr, 0, nullptr, 0),
            kOk);
  EXPECT_STREQ(buf, "a");
  // Opening again while open restarts the entry; closing the archive ends it.
  ASSERT_EQ(ownzip::OpenCurrentEntry(f), kOk);
  EXPECT_EQ(ownzip::ReadCurrentEntry(f, buf, 2), 2);
  ASSERT_EQ(ownzip::OpenCurrentEntry(f), kOk);
  EXPECT_EQ(ownzip::ReadCurrentEntry(f, buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf, 3), "abc");
  EXPECT_EQ(ownzip::CloseZip(f), kOk);
}

}  // namespace
