#include "platform/text.h"

#include <gtest/gtest.h>

TEST(LanguageIdForLocale, MapsLanguageAndTerritory) {
  EXPECT_EQ(LanguageIdForLocale("ja_JP.UTF-8"), 0x0411);
  EXPECT_EQ(LanguageIdForLocale("de_DE@euro"), 0x0407);
  EXPECT_EQ(LanguageIdForLocale("de_AT.ISO-8859-1@euro"), 0x0c07);
  EXPECT_EQ(LanguageIdForLocale("es_MX"), 0x080a);
  EXPECT_EQ(LanguageIdForLocale("es_ES.UTF-8"), 0x0c0a);
  EXPECT_EQ(LanguageIdForLocale("zh_TW.Big5"), 0x0404);
  EXPECT_EQ(LanguageIdForLocale("zh_CN.GB18030"), 0x0804);
  EXPECT_EQ(LanguageIdForLocale("fr_FR"), 0x040c);
  EXPECT_EQ(LanguageIdForLocale("en_GB.UTF-8"), 0x0809);
  EXPECT_EQ(LanguageIdForLocale("pt_BR"), 0x0416);
  EXPECT_EQ(LanguageIdForLocale("pt_PT"), 0x0816);
  EXPECT_EQ(LanguageIdForLocale("sv_FI"), 0x081d);
  EXPECT_EQ(LanguageIdForLocale("ko_KR.EUC-KR"), 0x0412);
}

TEST(LanguageIdForLocale, FallsBackToTheLanguageThenToUsEnglish) {
  EXPECT_EQ(LanguageIdForLocale("ru"), 0x0419);
  EXPECT_EQ(LanguageIdForLocale("it_XX.UTF-8"), 0x0410);
  EXPECT_EQ(LanguageIdForLocale("C"), 0x0409);
  EXPECT_EQ(LanguageIdForLocale("C.UTF-8"), 0x0409);
  EXPECT_EQ(LanguageIdForLocale("POSIX"), 0x0409);
  EXPECT_EQ(LanguageIdForLocale(""), 0x0409);
  EXPECT_EQ(LanguageIdForLocale("xx_YY"), 0x0409);
}
