// Extraction through each zip reader of the build: natively both minizip
// and our own, on Windows our own.
#include "deploy/zip_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "support/zip_builder.h"
#include "deploy/temporary_files.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/text.h"
#include "support/code_page_locale.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct NamedReader {
  const char* name;
  const ZipReader* reader;
};

std::vector<NamedReader> Readers() {
  std::vector<NamedReader> readers;
  if (MinizipReader() != nullptr) readers.push_back({"minizip", MinizipReader()});
  if (OwnZipReader() != nullptr) readers.push_back({"ownzip", OwnZipReader()});
  return readers;
}

// 100-ns intervals since 1601 of a UTC date and time.
uint64_t FileTimeOfUtc(int year, int month, int day, int hour, int minute, int second) {
  // Days since 1970-01-01 of a civil date.
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const int64_t days = static_cast<int64_t>(era) * 146097 + dayOfEra - 719468;
  const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return static_cast<uint64_t>(seconds + 11644473600ll) * 10000000ull;
}

uint64_t NowAsFileTime() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint64_t>(
             std::chrono::duration_cast<std::chrono::seconds>(since).count() + 11644473600ll) *
         10000000ull;
}

constexpr uint64_t kOneHour = 36000000000ull;

// The time zone the tests expect: UTC+1:30 without daylight saving. ctest
// sets it for the whole program (Wine reads it when the process starts);
// natively it is also set here, so that the program runs alone as well.
class FixedTimeZone {
 public:
  FixedTimeZone() {
#ifndef _WIN32
    tz_.emplace("TZ", "XST-01:30");
    tzset();
#endif
  }
  ~FixedTimeZone() {
#ifndef _WIN32
    tz_.reset();
    tzset();
#endif
  }

 private:
  std::optional<ScopedEnv> tz_;
};

// Every file and directory below `root`, relative, with "/".
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> names;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = fs::relative(it->path(), root).generic_string();
    if (it->is_directory()) name += "/";
    names.insert(name);
  }
  return names;
}

class Extraction : public ::testing::TestWithParam<NamedReader> {
 protected:
  // Writes the archive and extracts it into out\ (created when missing).
  bool Extract(const std::string& bytes) {
    dir_.Write("a.zip", bytes);
    outcome_ = ExtractZipArchiveWith(GetParam().reader, dir_.WinPath("a.zip"), Destination());
    return outcome_.opened;
  }
  bool Extract(const std::vector<ZipEntrySpec>& entries) {
    return Extract(BuildZip(entries).bytes);
  }
  std::string Destination() const { return dir_.WinPath("out") + "\\"; }
  std::set<std::string> OutTree() const { return Tree(dir_.Path("out")); }

  TempDir dir_;
  ExtractionOutcome outcome_;
};

void PrintTo(const NamedReader& reader, std::ostream* out) { *out << reader.name; }

std::string ReaderName(const ::testing::TestParamInfo<NamedReader>& info) {
  return info.param.name;
}

// --- Directories and lead bytes --------------------------------------------

TEST(DirectoryChain, CreatesEveryMissingPrefixButNotTheLastComponent) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash(dir.WinPath("a") + "\\b\\\\c\\file"));
  EXPECT_TRUE(fs::is_directory(dir.Path("a/b/c")));
  EXPECT_FALSE(dir.Exists("a/b/c/file"));
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash(dir.WinPath("a") + "\\b\\"));  // all there already
}

TEST(DirectoryChain, TrailByteBackslashIsNoSeparator) {
  CodePageLocale locale("ja_JP.SJIS");
  REQUIRE_CODE_PAGE(932u);
  TempDir dir;
  // 0x95 0x5C is one two-byte character: no directory "x\x95" is made for it,
  // where "xA\" makes "xA".
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash(dir.WinPath("x\x95") + "\\"));
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash(dir.WinPath("xA") + "\\"));
  EXPECT_EQ(Tree(dir.Path()), (std::set<std::string>{"xA/"}));
}

TEST(DirectoryChain, UncRootCountsAsExistingAndFoldersBelowAreMade) {
  struct Calls {
    std::vector<std::string> asked, made;
  } calls;
  std::vector<std::string>& made = calls.made;
  const DirectoryActions recording = {&calls,
                                      [](void* c, const char* path) {
                                        static_cast<Calls*>(c)->asked.push_back(path);
                                        return false;
                                      },
                                      [](void* c, const char* path) {
                                        static_cast<Calls*>(c)->made.push_back(path);
                                        return true;
                                      }};
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash("\\\\srv\\share\\Ann\\App Data\\x.txt", nullptr,
                                                 recording));
  EXPECT_EQ(made, (std::vector<std::string>{"\\\\srv\\share\\Ann", "\\\\srv\\share\\Ann\\App Data"}));
  EXPECT_EQ(calls.asked, made);  // "", "\\", "\\\\srv" and the share are never looked at
  made.clear();
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash("\\\\srv\\share\\", nullptr, recording));
  EXPECT_TRUE(made.empty());
}

TEST(DirectoryChain, Page1252HasNoTrailBytes) {
  CodePageLocale locale("de_DE");
  REQUIRE_CODE_PAGE(1252u);
  TempDir dir;
  // Under the fixed 932 ranges "\xE9\" swallowed the backslash.
  EXPECT_TRUE(CreateDirectoriesUpToLastBackslash(dir.WinPath("Caf\xE9") + "\\Men\xFC\\x"));
  EXPECT_TRUE(GetPathAttributes((dir.WinPath("Caf\xE9") + "\\Men\xFC").c_str()) !=
              kInvalidFileAttributes);
}

TEST(DirectoryChain, StopsAtTheFirstDirectoryThatCannotBeMade) {
  TempDir dir;
  dir.Write("file", "x");
  EXPECT_FALSE(CreateDirectoriesUpToLastBackslash(dir.WinPath("file") + "\\sub\\deeper\\"));
  EXPECT_FALSE(CreateDirectoriesUpToLastBackslash("\\rooted\\path\\"));  // the empty prefix
  EXPECT_EQ(Tree(dir.Path()), (std::set<std::string>{"file"}));
}

// --- Entry classification ---------------------------------------------------

TEST(EntryClassification, DirectoriesFilesAndRefusedNames) {
  struct Case {
    const char* name;
    bool colonRefused;
    EntryKind kind;
  };
  const Case cases[] = {
      {"docs\\", false, EntryKind::kDirectory},
      {"a\\b\\", false, EntryKind::kDirectory},
      {"docs\\readme.txt", false, EntryKind::kFile},
      {"x", false, EntryKind::kFile},
      {"\x95\\", false, EntryKind::kFile},  // one two-byte character
      {"ab\x95\\", false, EntryKind::kFile},
      {"ab\x95\\\\", false, EntryKind::kDirectory},
      {"a\\\x95\\c\\", false, EntryKind::kDirectory},
      {".hidden", false, EntryKind::kFile},
      {"a\\.\\b", false, EntryKind::kFile},
      {"..foo\\x", false, EntryKind::kFile},
      {"ab:c", false, EntryKind::kFile},  // a plain name off Windows
      {"ab:c", true, EntryKind::kRefused},
      {"dir\\file.txt:stream", true, EntryKind::kRefused},
      {"", false, EntryKind::kRefused},
      {"\\", false, EntryKind::kRefused},
      {"\\etc\\passwd", false, EntryKind::kRefused},
      {"C:x", false, EntryKind::kRefused},
      {"c:\\x", false, EntryKind::kRefused},
      {"..", false, EntryKind::kRefused},
      {"..\\x", false, EntryKind::kRefused},
      {"a\\..\\..\\x", false, EntryKind::kRefused},
      {"a\\..", false, EntryKind::kRefused},
      {"a\\..\\", false, EntryKind::kRefused},
      {"a\\.. \\x", false, EntryKind::kRefused},  // Windows drops the blank
      {"a\\...\\x", false, EntryKind::kRefused},
      {"\x95\\..\\x", false, EntryKind::kRefused},  // code page 1252 reads "\" here
  };
  CodePageLocale locale("ja_JP.SJIS");
  for (const Case& c : cases) {
    // The two-byte cases need a page where 0x95 leads.
    if (std::string(c.name).find('\x95') != std::string::npos && !IsAnsiLeadByte(0x95)) continue;
    EXPECT_EQ(ClassifyEntryName(c.name, c.colonRefused), c.kind) << c.name;
  }
}

// --- Extraction of sound archives ------------------------------------------

TEST_P(Extraction, WritesTheTreeWithMissingDirectoriesCreated) {
  std::string big;
  for (int i = 0; i < 60000; ++i) big += std::to_string(i * 7919 % 10007) + ",";
  ASSERT_GT(big.size(), 3u * kCopyBufferSize);
  EXPECT_TRUE(Extract({{"docs/readme.txt", "hello"},
                       {"docs/", ""},
                       {"empty.txt", ""},
                       {"a/b/c/big.bin", big},
                       {"stored.txt", "kept as is", kTestStamp, false},
                       {"x", "1"}}));
  EXPECT_EQ(OutTree(), (std::set<std::string>{"docs/", "docs/readme.txt", "empty.txt", "a/",
                                              "a/b/", "a/b/c/", "a/b/c/big.bin", "stored.txt",
                                              "x"}));
  EXPECT_EQ(dir_.Read("out/docs/readme.txt"), "hello");
  EXPECT_EQ(dir_.Read("out/a/b/c/big.bin"), big);
  EXPECT_EQ(dir_.Read("out/stored.txt"), "kept as is");
  EXPECT_EQ(dir_.Read("out/empty.txt"), "");
}

// The outcome says what happened to each entry: written, left out by its
// plan, or not written (a damaged entry, a directory in the file's way).
TEST_P(Extraction, OutcomeCountsWhatWasWrittenSkippedAndNotWritten) {
  dir_.Write("out/taken/inside", "x");
  EXPECT_TRUE(Extract({{"a.txt", "a"},
                       {"d/", ""},
                       {"../climb.txt", "x"},
                       {"taken", "a directory holds this name"},
                       {"bad.txt", "data", kTestStamp, true, 0x12345678u}}));
  EXPECT_EQ(outcome_.filesWritten, 1u);
  EXPECT_EQ(outcome_.directories, 1u);
  ASSERT_EQ(outcome_.skipped.size(), 1u);
  EXPECT_EQ(outcome_.skipped[0].skip, EntrySkip::kHostileName);
  EXPECT_EQ(outcome_.failed,
            (std::vector<std::string>{Destination() + "taken", Destination() + "bad.txt"}));
  EXPECT_FALSE(outcome_.endedEarly);
}

TEST_P(Extraction, ArchiveWithoutEntriesCreatesNothing) {
  Extract(std::vector<ZipEntrySpec>{});
  EXPECT_FALSE(dir_.Exists("out"));
}

// --- Times ------------------------------------------------------------------

TEST_P(Extraction, FileTimesAreTheStampReadAsLocalTime) {
  const uint32_t stamp = ((2004u - 1980u) << 25) | (2u << 21) | (29u << 16) | (23u << 11) |
                         (59u << 5) | (58u / 2u);
  FixedTimeZone zone1h30;
  EXPECT_TRUE(Extract({{"docs/readme.txt", "hello", kTestStamp}, {"leap.txt", "x", stamp}}));
  const uint64_t zone = kOneHour * 3 / 2;
  FileTimes times{};
  ASSERT_TRUE(ReadFileTimes((Destination() + "docs\\readme.txt").c_str(), &times));
  EXPECT_EQ(times.lastWrite, FileTimeOfUtc(2021, 6, 15, 12, 34, 56) - zone);
#ifdef _WIN32
  EXPECT_EQ(times.creation, times.lastWrite);
  EXPECT_LT(times.lastAccess, NowAsFileTime() + kOneHour);
  EXPECT_GT(times.lastAccess, NowAsFileTime() - kOneHour);  // kept, not the stamp
#endif
  ASSERT_TRUE(ReadFileTimes((Destination() + "leap.txt").c_str(), &times));
  EXPECT_EQ(times.lastWrite, FileTimeOfUtc(2004, 2, 29, 23, 59, 58) - zone);
}

TEST_P(Extraction, DirectoriesAndInvalidStampsKeepTheTimesOfTheirMaking) {
  const uint32_t badMonth = (41u << 25) | (13u << 21) | (1u << 16);
  const uint32_t feb30 = (41u << 25) | (2u << 21) | (30u << 16);
  const uint32_t hour24 = (kTestStamp & 0xFFFF0000u) | (24u << 11);
  EXPECT_TRUE(Extract({{"docs/", ""},
                       {"zero.txt", "x", 0},
                       {"month.txt", "x", badMonth},
                       {"feb30.txt", "x", feb30},
                       {"hour.txt", "x", hour24}}));
  for (const char* name : {"docs\\", "zero.txt", "month.txt", "feb30.txt", "hour.txt"}) {
    FileTimes times{};
    ASSERT_TRUE(ReadFileTimes((Destination() + name).c_str(), &times)) << name;
    EXPECT_GT(times.lastWrite, NowAsFileTime() - kOneHour) << name;
  }
}

// --- Replacing existing files -------------------------------------------------

TEST_P(Extraction, ReplacesAnExistingFileAndLeavesNoTemporaryBehind) {
  dir_.Write("out/f.txt", std::string(20000, 'o'));
  dir_.Write("out/other.txt", "untouched");
  EXPECT_TRUE(Extract({{"f.txt", "new"}}));
  EXPECT_EQ(dir_.Read("out/f.txt"), "new");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"f.txt", "other.txt"}));
}

TEST_P(Extraction, ReadOnlyFileOrDirectoryInTheWayStaysAndTheNextEntryLands) {
  dir_.Write("out/ro.txt", "old");
  fs::permissions(dir_.Path("out/ro.txt"), fs::perms::all, fs::perm_options::remove);
  fs::create_directories(dir_.Path("out/dir.txt"));
  EXPECT_TRUE(Extract({{"ro.txt", "new"}, {"dir.txt", "new"}, {"next.txt", "next"}}));
  EXPECT_EQ(dir_.Read("out/ro.txt"), "old");
  EXPECT_EQ(dir_.Read("out/next.txt"), "next");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"ro.txt", "dir.txt/", "next.txt"}));
  fs::permissions(dir_.Path("out/ro.txt"), fs::perms::owner_write, fs::perm_options::add);
}

#ifdef _WIN32
TEST_P(Extraction, FileHeldOpenByAnotherProcessStaysAsItWas) {
  dir_.Write("out/held.txt", "old");
  // Without sharing, as another process holding it would.
  HANDLE held = CreateFileA((Destination() + "held.txt").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Extract({{"held.txt", "new"}, {"next.txt", "next"}}));
  CloseHandle(held);
  EXPECT_EQ(dir_.Read("out/held.txt"), "old");
  EXPECT_EQ(dir_.Read("out/next.txt"), "next");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"held.txt", "next.txt"}));
}

TEST_P(Extraction, HiddenAndSystemFilesStayAsTheyWere) {
  dir_.Write("out/hidden.txt", "old");
  dir_.Write("out/system.txt", "old");
  SetFileAttributesA((Destination() + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((Destination() + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(Extract({{"hidden.txt", "new"}, {"system.txt", "new"}}));
  EXPECT_EQ(dir_.Read("out/hidden.txt"), "old");
  EXPECT_EQ(dir_.Read("out/system.txt"), "old");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"hidden.txt", "system.txt"}));
  SetFileAttributesA((Destination() + "hidden.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA((Destination() + "system.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}
#else
TEST_P(Extraction, ProcessHoldingTheOldFileKeepsReadingTheOldData) {
  dir_.Write("out/held.txt", "old");
  const int held = open(dir_.Path("out/held.txt").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  EXPECT_TRUE(Extract({{"held.txt", "new"}}));
  char buffer[8] = {};
  EXPECT_EQ(pread(held, buffer, sizeof(buffer), 0), 3);
  EXPECT_EQ(std::string(buffer), "old");
  close(held);
  EXPECT_EQ(dir_.Read("out/held.txt"), "new");
}
#endif

// --- Damaged archives -------------------------------------------------------

TEST_P(Extraction, MissingPlainTextOrTruncatedArchivesAreNotOpened) {
  EXPECT_FALSE(
      ExtractZipArchiveWith(GetParam().reader, dir_.WinPath("missing.zip"), Destination()).opened);
  EXPECT_FALSE(Extract(std::string("just some text, no archive\r\n")));
  const std::string whole = BuildZip({{"a.txt", "aaa"}, {"b.txt", "bbb"}}).bytes;
  EXPECT_FALSE(Extract(whole.substr(0, whole.size() / 2)));  // no end record
  EXPECT_FALSE(dir_.Exists("out"));
}

TEST_P(Extraction, DamagedLocalHeaderStopsTheExtractionAtThatEntry) {
  BuiltZip zip = BuildZip({{"1.txt", "one"}, {"2.txt", "two"}, {"3.txt", "three"}});
  zip.bytes[zip.localHeaderOffsets[1]] = 'X';
  dir_.Write("out/2.txt", "previous");
  EXPECT_TRUE(Extract(zip.bytes));
  EXPECT_EQ(dir_.Read("out/1.txt"), "one");
  EXPECT_EQ(dir_.Read("out/2.txt"), "previous");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"1.txt", "2.txt"}));
}

TEST_P(Extraction, CrcMismatchKeepsThePreviousFileAndGoesOn) {
  dir_.Write("out/bad.txt", "previous");
  EXPECT_TRUE(Extract({{"bad.txt", std::string(30000, 'b'), kTestStamp, true, 0x12345678u},
                       {"new-bad.txt", "data", kTestStamp, false, 0x12345678u},
                       {"good.txt", "good"}}));
  EXPECT_EQ(dir_.Read("out/bad.txt"), "previous");
  EXPECT_EQ(dir_.Read("out/good.txt"), "good");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"bad.txt", "good.txt"}));
}

// Files are flushed and moved in groups where the system allows: however
// the groups fall, every entry lands as it would alone and in its turn. A
// file whose name a later entry needs as a directory keeps it, the later of
// two entries of one name wins, and what was not written is reported in
// entry order.
TEST_P(Extraction, GroupsOfFilesLandAsSingleFilesWould) {
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < 150; ++i)
    entries.push_back({"f" + std::to_string(i % 3) + "/n" + std::to_string(i), std::to_string(i)});
  entries.push_back({"x", "a file"});
  entries.push_back({"x/y", "no directory for it"});
  entries.push_back({"dup.txt", "first"});
  entries.push_back({"bad.txt", "data", kTestStamp, true, 0x12345678u});
  entries.push_back({"dup.txt", "second"});
  EXPECT_TRUE(Extract(entries));
  for (int i = 0; i < 150; i += 37)
    EXPECT_EQ(dir_.Read("out/f" + std::to_string(i % 3) + "/n" + std::to_string(i)),
              std::to_string(i));
  EXPECT_EQ(dir_.Read("out/x"), "a file");
  EXPECT_EQ(dir_.Read("out/dup.txt"), "second");
  EXPECT_EQ(outcome_.filesWritten, 153u);
  EXPECT_EQ(outcome_.failed,
            (std::vector<std::string>{Destination() + "x\\y", Destination() + "bad.txt"}));
  EXPECT_EQ(OutTree().size(), 3u + 150u + 2u);  // no temporary left
}

TEST_P(Extraction, DataShorterThanItsRecordedSizeIsNotWritten) {
  dir_.Write("out/short.txt", "previous");
  ZipEntrySpec shortEntry{"short.txt", "abc"};
  shortEntry.uncompressedSize = 10;
  EXPECT_TRUE(Extract({shortEntry, {"good.txt", "good"}}));
  EXPECT_EQ(dir_.Read("out/short.txt"), "previous");
  EXPECT_EQ(OutTree(), (std::set<std::string>{"short.txt", "good.txt"}));
}

TEST_P(Extraction, CorruptDeflateDataIsNotWritten) {
  BuiltZip zip = BuildZip({{"bad.bin", std::string(5000, 'z')}, {"good.txt", "good"}});
  const size_t data = zip.localHeaderOffsets[0] + 30 + 7;
  for (size_t i = 0; i < 6; ++i) zip.bytes[data + i] = '\xFF';
  EXPECT_TRUE(Extract(zip.bytes));
  EXPECT_FALSE(dir_.Exists("out/bad.bin"));
  EXPECT_EQ(dir_.Read("out/good.txt"), "good");
}

// --- Hostile and unfit names ------------------------------------------------

TEST_P(Extraction, NothingLandsOutsideTheDestination) {
  std::vector<ZipEntrySpec> entries = {{"../escaped.txt", "x"},
                                       {"a/../../escaped2.txt", "x"},
                                       {"/abs.txt", "x"},
                                       {"\\abs2.txt", "x"},
                                       {"C:escaped3.txt", "x"},
                                       {"a/.. /escaped4.txt", "x"},
                                       {"../", ""},
                                       {"inside/ok.txt", "ok"}};
#ifdef _WIN32
  entries.push_back({"inside/ok.txt:stream", "hidden"});
#endif
  EXPECT_TRUE(Extract(entries));
  EXPECT_EQ(Tree(dir_.Path()), (std::set<std::string>{"a.zip", "out/", "out/inside/",
                                                      "out/inside/ok.txt"}));
  EXPECT_EQ(dir_.Read("out/inside/ok.txt"), "ok");
}

TEST_P(Extraction, OverlongNamesAndPathsAreSkipped) {
  const std::string dirName(120, 'd');
  const std::string fits = dirName + "/" + std::string(255 - Destination().size() - 121, 'f');
  EXPECT_TRUE(Extract({{std::string(511, 'n'), "511"},
                       {std::string(512, 'n'), "512"},
                       {std::string(600, 'n'), "600"},
                       {dirName + "/" + std::string(140, 'p'), "long path"},
                       {fits, "fits"}}));
  // 511 bytes fit the name buffer but no path; the rest do not fit either.
  EXPECT_EQ(OutTree(), (std::set<std::string>{dirName + "/", fits}));
  EXPECT_EQ(dir_.Read("out/" + fits), "fits");
}

TEST_P(Extraction, TargetNearTheLengthLimitIsNotRefusedForItsTemporary) {
  // The target's folder leaves room for its 4-character name, not for
  // "~XXXXXX.tmp".
  std::string folders;
  while (Destination().size() + folders.size() < 256 - 101) folders += std::string(100, 'd') + "/";
  folders += std::string(256 - Destination().size() - folders.size() - 1, 'e') + "/";
  ASSERT_EQ(Destination().size() + folders.size(), 256u);
  EXPECT_TRUE(Extract({{folders + "abcd", "fits"}}));
  EXPECT_EQ(dir_.Read("out/" + folders + "abcd"), "fits");
  EXPECT_EQ(fs::directory_iterator(dir_.Path("out/" + folders))->path().filename(), "abcd");
}

// --- Temporaries left by killed runs -----------------------------------------

TEST(TemporaryNames, FullFormIsParsedBackAndTheShortFormFitsItsRoom) {
  uint32_t pid = 0;
  const std::string name = TemporaryFileName(0x1a2b, 0x1000001, 200);
  EXPECT_EQ(name, "~slx00001a2b-000001.tmp");
  EXPECT_TRUE(ParseTemporaryFileName(name.c_str(), &pid));
  EXPECT_EQ(pid, 0x1a2bu);
  for (const char* other : {"~SLX00001a2b-000001.tmp", "~slx00001a2b-000001.TMP",
                            "~slx0001a2b-000001.tmp", "~slx00001a2b-00000g.tmp",
                            "~slx00001a2b_000001.tmp", "~slx00001a2b-000001.tmpx", "~1a2b3c4"})
    EXPECT_FALSE(ParseTemporaryFileName(other, &pid)) << other;
  for (size_t room = 1; room < kTemporaryNameLength; ++room) {
    const std::string shorter = TemporaryFileName(7, 3, room);
    EXPECT_LE(shorter.size(), room);
    EXPECT_FALSE(ParseTemporaryFileName(shorter.c_str(), &pid));
  }
}

// Before the first write into a folder, the temporaries of runs that no
// longer live go, its own identifier's too (found then, they are a former
// process's), and nothing else: not a live process's, not a look-alike, not
// in a folder this extraction does not write into.
TEST(TemporaryNames, LeftoversGoFromTheFoldersWrittenIntoAndOnlyThose) {
  TempDir dir;
  const uint32_t gone = 0x7ffffff0;  // beyond any system's process numbers
  ASSERT_FALSE(IsProcessRunning(gone));
  ASSERT_TRUE(IsProcessRunning(CurrentProcessId()));
  const std::string dead = TemporaryFileName(gone, 1, 200);
  // The very name this run tries first, taken by a former process.
  const std::string reused = TemporaryFileName(CurrentProcessId(), 0, 200);
  dir.Write("out/" + dead, "x");
  dir.Write("out/" + reused, "x");
  dir.Write("out/sub/" + dead, "x");
  dir.Write("out/~slx7ffffff0-000001.TMP.keep", "x");
  dir.Write("untouched/" + dead, "x");
#ifdef _WIN32
  // Held open by someone: not deleted, whoever made it.
  const std::string live = TemporaryFileName(gone, 2, 200);
  dir.Write("out/" + live, "x");
  HANDLE holder = CreateFileA(dir.WinPath("out/" + live).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
#else
  const std::string live = TemporaryFileName(static_cast<uint32_t>(getppid()), 1, 200);
  dir.Write("out/" + live, "x");
#endif
  dir.Write("a.zip", BuildZip({{"a.txt", "a"}, {"sub/b.txt", "b"}, {"sub/c.txt", "c"}}).bytes);
  const ExtractionOutcome outcome =
      ExtractZipArchiveWith(DefaultZipReader(), dir.WinPath("a.zip"), dir.WinPath("out") + "\\");
  EXPECT_EQ(outcome.filesWritten, 3u);
  EXPECT_EQ(outcome.staleTemporariesRemoved, 3u);
#ifdef _WIN32
  CloseHandle(holder);
#endif
  EXPECT_EQ(Tree(dir.Path("out")), (std::set<std::string>{"a.txt", "sub/", "sub/b.txt",
                                                          "sub/c.txt", live,
                                                          "~slx7ffffff0-000001.TMP.keep"}));
  EXPECT_TRUE(dir.Exists("untouched/" + dead));
}

TEST_P(Extraction, EveryNameLandsUnderItsOwnNameInTheCodePage) {
#ifdef _WIN32
  const std::vector<const char*> locales = {"system"};
#else
  const std::vector<const char*> locales = {"C.UTF-8", "ja_JP.UTF-8", "de_DE", "ja_JP.SJIS"};
#endif
  for (const char* name : locales) {
    CodePageLocale locale(name);
    const unsigned page = CurrentAnsiCodePage();
    if (page != kUtf8CodePage && page != 1252 && page != 932) continue;
    SCOPED_TRACE(page);
    fs::remove_all(dir_.Path("out"));
    struct Name {
      const char* utf8;  // flagged in the archive
      const char* in1252;
      const char* in932;
    };
    const Name names[] = {
        {"Caf\xC3\xA9/a.txt", "Caf\xE9/a.txt", nullptr},
        {"Men\xC3\xBC/Hilfe/b.txt", "Men\xFC/Hilfe/b.txt", nullptr},
        // U+8868 ends in the byte of "\" under 932.
        {"\xE3\x81\x82/\xE8\xA1\xA8/c.txt", nullptr, "\x82\xA0/\x95\x5C/c.txt"},
    };
    std::vector<ZipEntrySpec> entries;
    std::set<std::string> landed, skipped;  // ANSI names, UTF-8 names
    for (const Name& n : names) {
      ZipEntrySpec entry(n.utf8, n.utf8);
      entry.utf8Name = true;
      entries.push_back(entry);
      const char* ansi = page == kUtf8CodePage ? n.utf8 : page == 1252 ? n.in1252 : n.in932;
      if (ansi == nullptr) {
        skipped.insert(n.utf8);
        continue;
      }
      landed.insert(ansi);
      // Unflagged, the same name stored in the code page lands the same.
      std::string plain = std::string(ansi) + ".plain";
      entries.push_back({plain, "plain"});
      landed.insert(plain);
    }
    EXPECT_TRUE(Extract(entries));
    for (std::string name : landed) {
      std::replace(name.begin(), name.end(), '/', '\\');
      EXPECT_TRUE(PathExists(Destination() + name)) << name;
    }
#ifndef _WIN32
    // Nothing else: no file under a name of "?". (This layer's names are the
    // code page's bytes.)
    std::set<std::string> files;
    for (const std::string& path : OutTree()) {
      if (path.back() != '/') files.insert(path);
    }
    EXPECT_EQ(files, landed);
#else
    EXPECT_FALSE(PathExists(Destination() + "Caf?")) << "written under \"?\"";
    EXPECT_FALSE(PathExists(Destination() + "?")) << "written under \"?\"";
#endif
    std::set<std::string> reported;
    for (const EntryPlan& entry : outcome_.skipped)
      if (entry.skip == EntrySkip::kUnrepresentable) reported.insert(entry.name);
    EXPECT_EQ(reported, skipped);
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, Extraction, ::testing::ValuesIn(Readers()), ReaderName);

#ifndef _WIN32
// --- Links on the way (a profile, which its user may change) ---------------

class GuardedExtraction : public ::testing::Test {
 protected:
  ExtractionOutcome Extract(const std::string& destination, LinkPolicy links) {
    dir_.Write("a.zip", BuildZip({{"Vendor/app.cfg", "cfg"},
                                  {"Vendor/sub/", ""},
                                  {"Other/x.cfg", "x"},
                                  {"top.txt", "top"}})
                            .bytes);
    return ExtractZipArchive(dir_.WinPath("a.zip"), dir_.WinPath(destination) + "\\", links);
  }
  TempDir dir_;
};

TEST_F(GuardedExtraction, EntriesBelowALinkAreSkippedAndTheRestLands) {
  fs::create_directories(dir_.Path("elsewhere"));
  fs::create_directories(dir_.Path("profile"));
  fs::create_directory_symlink(dir_.Path("elsewhere"), dir_.Path("profile/Vendor"));
  const ExtractionOutcome outcome = Extract("profile", LinkPolicy::kRefused);
  EXPECT_TRUE(fs::is_empty(dir_.Path("elsewhere")));
  EXPECT_EQ(dir_.Read("profile/Other/x.cfg"), "x");
  EXPECT_EQ(dir_.Read("profile/top.txt"), "top");
  ASSERT_EQ(outcome.skipped.size(), 2u);
  for (const EntryPlan& entry : outcome.skipped) EXPECT_EQ(entry.skip, EntrySkip::kThroughLink);

  // The Windows directory's extraction enters links, as it always did.
  Extract("profile", LinkPolicy::kEntered);
  EXPECT_EQ(dir_.Read("elsewhere/app.cfg"), "cfg");
}

TEST_F(GuardedExtraction, ALinkOnTheDestinationsOwnPathIsEnteredOnlyWhenAnAdministratorMadeIt) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  fs::create_directories(dir_.Path("real"));
  fs::create_directory_symlink(dir_.Path("real"), dir_.Path("profile"));
  EXPECT_TRUE(Extract("profile", LinkPolicy::kRefused).skipped.empty());
  EXPECT_EQ(dir_.Read("real/top.txt"), "top");

  fs::remove_all(dir_.Path("real/top.txt"));
  ASSERT_EQ(lchown(dir_.Path("profile").c_str(), 65534, 65534), 0);
  const ExtractionOutcome outcome = Extract("profile", LinkPolicy::kRefused);
  EXPECT_EQ(outcome.skipped.size(), 4u);
  EXPECT_FALSE(dir_.Exists("real/top.txt"));
}
#endif

}  // namespace
