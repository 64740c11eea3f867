#include "locale/language_swap.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

constexpr uint16_t kJapanese = 0x0411;

class LanguageSwapTest : public ::testing::Test {
 protected:
  LanguageSwapTest() {
    dir_.Write("Velquist.ini", "own");
    dir_.Write("Velquist.0411", "ja");
  }

  // Runs the swap with the given [PARAMS] lines for the configuration.
  bool Swap(uint32_t count, const std::string& params, uint16_t language = kJapanese) {
    dir_.Write("Setup.ini", "[PARAMS]\n" + params);
    outcome_ = SwapLanguageConfigFor(language, dir_.WinPath().c_str(),
                                     dir_.WinPath("Setup.ini").c_str(), count, &swap_);
    return outcome_.configSwapped;
  }

  // The directory holds the package's own file only, as before any swap.
  void ExpectUntouched() {
    EXPECT_FALSE(swap_.configSwapped);
    EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
    EXPECT_FALSE(dir_.Exists("Velquist.bak"));
    RestoreLanguageConfig(swap_);
    EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
    EXPECT_FALSE(dir_.Exists("Velquist.bak"));
  }

  TempDir dir_;
  LanguageSwap swap_;
  LanguageSwapOutcome outcome_;
};

TEST_F(LanguageSwapTest, ListedLanguageIsSwappedInAndRestored) {
  EXPECT_TRUE(Swap(2, "INILANG1=1031\nINILANG2=1041\n"));
  EXPECT_TRUE(swap_.configSwapped);
  EXPECT_EQ(swap_.configPath, dir_.WinPath("Velquist.ini"));
  EXPECT_EQ(swap_.backupPath, dir_.WinPath("Velquist.bak"));
  EXPECT_EQ(dir_.Read("Velquist.ini"), "ja");
  EXPECT_EQ(dir_.Read("Velquist.bak"), "own");
  EXPECT_EQ(dir_.Read("Velquist.0411"), "ja");

  dir_.Write("Velquist.ini", "ja, changed by setup");
  RestoreLanguageConfig(swap_);
  EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
  EXPECT_FALSE(dir_.Exists("Velquist.bak"));
  EXPECT_EQ(dir_.Read("Velquist.0411"), "ja");
}

TEST_F(LanguageSwapTest, CopyNameUsesFourLowerCaseHexDigits) {
  dir_.Write("Velquist.080a", "es-MX");
  EXPECT_TRUE(Swap(12, "INILANG12=2058\n", 0x080a));  // key without leading zeros
  EXPECT_EQ(dir_.Read("Velquist.ini"), "es-MX");
}

TEST_F(LanguageSwapTest, UnlistedLanguageChangesNothing) {
  EXPECT_FALSE(Swap(0, "INILANG1=1041\n"));
  ExpectUntouched();
  EXPECT_FALSE(Swap(1, "INILANG1=1031\nINILANG2=1041\n"));  // beyond the count
  ExpectUntouched();
  EXPECT_FALSE(Swap(1, "INILANG1=66577\n"));  // 0x10411: above 16 bits
  ExpectUntouched();
  EXPECT_FALSE(Swap(2, "INILANG2=1041\n", 0));  // missing entries read as 0
  ExpectUntouched();
}

// Only entries that are there are read, lowest index first: a count of
// 4294967295 with two entries costs two reads.
TEST_F(LanguageSwapTest, HugeCountVisitsOnlyThePresentEntries) {
  dir_.Write("Velquist.0407", "de");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(Swap(4294967295u,
                   "INILANG4294967295=1041\nINILANG010=1031\ninilang10=1031\nINILANG3=1031\n",
                   0x0407));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_EQ(dir_.Read("Velquist.ini"), "de");
  RestoreLanguageConfig(swap_);
  EXPECT_TRUE(Swap(4294967295u, "INILANG4294967295=1041\nINILANG3=1031\n"));
  EXPECT_EQ(dir_.Read("Velquist.ini"), "ja");
}

TEST_F(LanguageSwapTest, MissingFilesChangeNothing) {
  std::filesystem::remove(dir_.Path("Velquist.0411"));
  EXPECT_FALSE(Swap(1, "INILANG1=1041\n"));
  EXPECT_EQ(outcome_.plan.block, SwapBlock::kCopyMissing);
  ExpectUntouched();

  dir_.Write("Velquist.0411", "ja");
  std::filesystem::remove(dir_.Path("Velquist.ini"));
  EXPECT_FALSE(Swap(1, "INILANG1=1041\n"));
  EXPECT_EQ(outcome_.plan.block, SwapBlock::kConfigMissing);
  EXPECT_FALSE(dir_.Exists("Velquist.ini"));
  EXPECT_FALSE(dir_.Exists("Velquist.bak"));
}

TEST_F(LanguageSwapTest, ExistingBackupIsLeftAlone) {
  dir_.Write("Velquist.bak", "left by an earlier run");
  EXPECT_FALSE(Swap(1, "INILANG1=1041\n"));
  EXPECT_EQ(outcome_.plan.block, SwapBlock::kBackupInTheWay);
  EXPECT_FALSE(RestoreLanguageConfig(swap_).ran);
  EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
  EXPECT_EQ(dir_.Read("Velquist.bak"), "left by an earlier run");
}

// A run killed between swap and restore left a listed copy as the
// configuration and the package's own file as the backup: the next run puts
// the package's file back first, then swaps for its own language, or not at
// all when its language is not listed.
TEST_F(LanguageSwapTest, InterruptedSwapIsUndoneBeforeAnythingElse) {
  dir_.Write("Velquist.0407", "de");
  for (const uint16_t language : {uint16_t{0x0407}, uint16_t{0x0409}}) {
    dir_.Write("Velquist.ini", "ja");
    dir_.Write("Velquist.bak", "own");
    const bool listed = language == 0x0407;
    EXPECT_EQ(Swap(2, "INILANG1=1041\nINILANG2=1031\n", language), listed);
    EXPECT_TRUE(outcome_.plan.undoInterrupted);
    EXPECT_TRUE(outcome_.undone);
    EXPECT_EQ(outcome_.plan.strandedCopyPath, dir_.WinPath("Velquist.0411"));
    EXPECT_EQ(dir_.Read("Velquist.ini"), listed ? "de" : "own");
    RestoreLanguageConfig(swap_);
    EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
    EXPECT_FALSE(dir_.Exists("Velquist.bak"));
  }
  // A configuration that is no listed copy is the package's own: its
  // backup is left alone.
  dir_.Write("Velquist.ini", "ja, edited");
  dir_.Write("Velquist.bak", "own");
  EXPECT_FALSE(Swap(1, "INILANG1=1041\n"));
  EXPECT_FALSE(outcome_.plan.undoInterrupted);
  EXPECT_EQ(outcome_.plan.block, SwapBlock::kBackupInTheWay);
  EXPECT_EQ(dir_.Read("Velquist.bak"), "own");
}

TEST_F(LanguageSwapTest, FailedCopyPutsThePackageFileBack) {
  // A directory passes the existence test but cannot be copied.
  std::filesystem::remove(dir_.Path("Velquist.0411"));
  std::filesystem::create_directory(dir_.Path("Velquist.0411"));
  EXPECT_FALSE(Swap(1, "INILANG1=1041\n"));
  EXPECT_EQ(outcome_.result, SwapResult::kCopyFailed);
  ExpectUntouched();
}

TEST_F(LanguageSwapTest, ReadOnlyLanguageCopyIsStillRestored) {
  namespace fs = std::filesystem;
  fs::permissions(dir_.Path("Velquist.0411"),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_TRUE(Swap(1, "INILANG1=1041\n"));
  EXPECT_EQ(dir_.Read("Velquist.ini"), "ja");
  EXPECT_TRUE(RestoreLanguageConfig(swap_).restored);
  EXPECT_EQ(dir_.Read("Velquist.ini"), "own");
  EXPECT_FALSE(dir_.Exists("Velquist.bak"));
  fs::permissions(dir_.Path("Velquist.0411"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(LanguageSwapTest, DirectoryTooLongForItsPathsIsLeftAlone) {
  std::string directory = dir_.WinPath() + "\\" + std::string(260, 'd');
  EXPECT_FALSE(SwapLanguageConfigFor(kJapanese, directory.c_str(),
                                     dir_.WinPath("Setup.ini").c_str(), 1, &swap_)
                   .configSwapped);
  EXPECT_STREQ(swap_.configPath, "");
  EXPECT_STREQ(swap_.backupPath, "");
}

}  // namespace
