#include "core/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace {

LauncherSettings ReadFrom(const TempDir& dir, const std::string& ini) {
  dir.Write("Setup.ini", ini);
  return ReadLauncherSettings(dir.WinPath("Setup.ini").c_str());
}

}  // namespace

TEST(ReadLauncherSettings, NoFileGivesTheDefaults) {
  TempDir dir;
  LauncherSettings settings = ReadLauncherSettings(dir.WinPath("Missing.ini").c_str());
  EXPECT_STREQ(settings.DEFAULTCMD, "Quorle.exe");
  EXPECT_FALSE(settings.defaultCmdTooLong);
  EXPECT_EQ(settings.COPYFROMZIP + settings.COPYSETFROMZIP + settings.INILANG + settings.SLEEP +
                settings.SLEEPTIME + settings.TERMINATEORMLATCH + settings.CHECKSTARTPROGRAM,
            0u);
}

TEST(ReadLauncherSettings, KeysAreReadFromTheirOwnSections) {
  TempDir dir;
  LauncherSettings settings = ReadFrom(dir,
      "[PARAMS]\nCOPYFROMZIP=1\nSLEEP=1\nSLEEPTIME=3000\nINILANG=2\n"
      "TERMINATEORMLATCH=1\nCHECKSTARTPROGRAM=2\n"
      "[before]\ncopysetfromzip=1\n");
  EXPECT_EQ(settings.COPYFROMZIP, 0u);  // placed in PARAMS: not seen
  EXPECT_EQ(settings.COPYSETFROMZIP, 1u);  // names match without regard to case
  EXPECT_EQ(settings.SLEEP, 1u);
  EXPECT_EQ(settings.SLEEPTIME, 3000u);
  EXPECT_EQ(settings.INILANG, 2u);
  EXPECT_EQ(settings.TERMINATEORMLATCH, 1u);
  EXPECT_EQ(settings.CHECKSTARTPROGRAM, 2u);
}

TEST(ReadLauncherSettings, OnlyExactlyOneSwitchesOn) {
  EXPECT_TRUE(IsSwitchOn(1));
  EXPECT_FALSE(IsSwitchOn(0));
  EXPECT_FALSE(IsSwitchOn(2));
  EXPECT_FALSE(IsSwitchOn(0xFFFFFFFFu));
  TempDir dir;
  EXPECT_EQ(ReadFrom(dir, "[BEFORE]\nCOPYFROMZIP=-1\n").COPYFROMZIP, 0xFFFFFFFFu);
  EXPECT_EQ(ReadFrom(dir, "[BEFORE]\nCOPYFROMZIP= 1 \n").COPYFROMZIP, 1u);
}

TEST(ReadLauncherSettings, DefaultCommandIsTakenVerbatim) {
  TempDir dir;
  EXPECT_STREQ(ReadFrom(dir, "[PARAMS]\nDEFAULTCMD=\n").DEFAULTCMD, "");
  EXPECT_STREQ(ReadFrom(dir, "[PARAMS]\nDEFAULTCMD=Inst.exe /q /x\n").DEFAULTCMD,
               "Inst.exe /q /x");
  std::string fits(260, 'c');
  LauncherSettings settings = ReadFrom(dir, "[PARAMS]\nDEFAULTCMD=" + fits + "\n");
  EXPECT_EQ(settings.DEFAULTCMD, fits);
  EXPECT_FALSE(settings.defaultCmdTooLong);
}

TEST(ReadLauncherSettings, OverlongDefaultCommandIsRefusedNotCut) {
  TempDir dir;
  LauncherSettings settings =
      ReadFrom(dir, "[PARAMS]\nDEFAULTCMD=" + std::string(261, 'c') + "\n");
  EXPECT_TRUE(settings.defaultCmdTooLong);
  EXPECT_STREQ(settings.DEFAULTCMD, "");
}

TEST(ReadMutexName, FileNameUnlessMutexNameIsUsable) {
  TempDir dir;
  const struct {
    std::string ini;
    const char* name;
    MutexNameSource source;
  } cases[] = {
      {"[PARAMS]\n", "Setup.exe", MutexNameSource::kDefault},
      {"[PARAMS]\nMUTEXNAME=Product A Setup\n", "Product A Setup", MutexNameSource::kFile},
      {"[PARAMS]\nMUTEXNAME=\n", "Setup.exe", MutexNameSource::kEmpty},
      {"[PARAMS]\nMUTEXNAME=Global\\Setup\n", "Setup.exe", MutexNameSource::kBackslash},
      {"[PARAMS]\nMUTEXNAME=" + std::string(261, 'm') + "\n", "Setup.exe",
       MutexNameSource::kTooLong},
      {"[PARAMS]\nMUTEXNAME=" + std::string(260, 'm') + "\n", nullptr, MutexNameSource::kFile},
  };
  for (const auto& c : cases) {
    dir.Write("Setup.ini", c.ini);
    const MutexName mutex = ReadMutexName(dir.WinPath("Setup.ini").c_str(), "Setup.exe");
    EXPECT_EQ(mutex.name, std::string(c.name != nullptr ? c.name : std::string(260, 'm'))) << c.ini;
    EXPECT_EQ(mutex.source, c.source) << c.ini;
  }
}

// The names other products' files go by: defaults, values of their own,
// and values that could reach outside their step's place, which are refused.
TEST(ReadNameKeys, BareNamesAndAFullLocalSourceOnly) {
  TempDir dir;
  dir.Write("Setup.ini", "[PARAMS]\n");
  NameKeys keys = ReadNameKeys(dir.WinPath("Setup.ini").c_str());
  EXPECT_STREQ(keys.helperProcess.value, "Ormlatch.exe");
  EXPECT_STREQ(keys.setupConfigNames.backup, "Velquist.bak");
  EXPECT_EQ(LanguageCopyName(keys.setupConfigNames, 0x080A), "Velquist.080a");
  EXPECT_STREQ(keys.startMenuSource.value, "c:\\Tessik Halvern Wireless");
  EXPECT_STREQ(keys.startMenuFolder.value, "Tessik Halvern Wireless");
  EXPECT_EQ(keys.startMenuFolder.source, NameSource::kDefault);

  dir.Write("Setup.ini",
            "[PARAMS]\nHELPERPROCESS=Agent.exe\nSETUPCONFIG=setup\n"
            "STARTMENUSOURCE=D:\\Vendor\\Tools\\\n");
  keys = ReadNameKeys(dir.WinPath("Setup.ini").c_str());
  EXPECT_EQ(keys.helperProcess.source, NameSource::kFile);
  EXPECT_STREQ(keys.setupConfigNames.backup, "setup.bak");  // no extension: appended
  EXPECT_EQ(LanguageCopyName(keys.setupConfigNames, 0x0411), "setup.0411");
  EXPECT_STREQ(keys.startMenuSource.value, "D:\\Vendor\\Tools");
  EXPECT_STREQ(keys.startMenuFolder.value, "Tools");

  const std::string refused[] = {
      "HELPERPROCESS=", "HELPERPROCESS=a\\b.exe", "HELPERPROCESS=c:x.exe",
      "HELPERPROCESS=" + std::string(100, 'h'), "SETUPCONFIG=..", "SETUPCONFIG=x.bak",
      "SETUPCONFIG=x.0407", "SETUPCONFIG=sub/x.ini", "STARTMENUSOURCE=Tools",
      "STARTMENUSOURCE=c:\\", "STARTMENUSOURCE=c:\\a\\..\\Windows", "STARTMENUSOURCE=\\\\srv\\x",
      "STARTMENUFOLDER=a\\b", "STARTMENUFOLDER=.",
  };
  for (const std::string& line : refused) {
    dir.Write("Setup.ini", "[PARAMS]\n" + line + "\n");
    keys = ReadNameKeys(dir.WinPath("Setup.ini").c_str());
    const NameKey& key = line[0] == 'H'                            ? keys.helperProcess
                         : line[0] == 'S' && line[5] == 'C'        ? keys.setupConfig
                         : line.compare(0, 15, "STARTMENUSOURCE") == 0 ? keys.startMenuSource
                                                                       : keys.startMenuFolder;
    EXPECT_EQ(key.source, NameSource::kRefused) << line;
    EXPECT_STREQ(key.value, "") << line;
  }
  EXPECT_STREQ(keys.setupConfigNames.config, "Velquist.ini");
}
