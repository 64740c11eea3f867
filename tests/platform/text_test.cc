#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/code_page_locale.h"

TEST(Utf8Text, RoundTripsAndRefusesMalformedBytes) {
  std::u16string unicode;
  ASSERT_TRUE(DecodeUtf8("Caf\xC3\xA9 \xE3\x81\x82 \xF0\x9F\x98\x80", &unicode));
  EXPECT_EQ(unicode, u"Caf\u00E9 \u3042 \U0001F600");
  std::string utf8;
  EXPECT_TRUE(EncodeUtf8(unicode, &utf8));
  EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE3\x81\x82 \xF0\x9F\x98\x80");
  // An overlong "/", an encoded surrogate, a cut sequence, a 1252 byte.
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE3\x81", "Caf\xE9"}) {
    EXPECT_FALSE(DecodeUtf8(bad, &unicode)) << bad;
    EXPECT_NE(unicode.find(u'\uFFFD'), std::u16string::npos) << bad;
  }
  EXPECT_FALSE(EncodeUtf8(u"a\xD800", &utf8));
  EXPECT_EQ(utf8, "a?");
}

#ifndef _WIN32
TEST(AnsiCodePage, FollowsTheCharacterSetOfTheLocale) {
  const struct {
    const char* locale;
    unsigned page;
  } cases[] = {
      {"C", 1252},           {"C.UTF-8", 65001},    {"ja_JP.UTF-8", 65001},
      {"ja_JP.utf8", 65001}, {"ja_JP.SJIS", 932},   {"ja_JP.eucJP", 20932},
      {"ja_JP", 932},        {"zh_TW.Big5", 950},   {"zh_CN.GB18030", 54936},
      {"zh_CN.gb2312", 936}, {"ko_KR.eucKR", 949},  {"de_DE@euro", 1252},
      {"de_DE.ISO-8859-15@euro", 1252},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageForLocale(c.locale), c.page) << c.locale;
}

TEST(AnsiCodePage, ComesFromLcAllThenLcCtypeThenLang) {
  CodePageLocale guard("C");
  unsetenv("LC_ALL");
  setenv("LANG", "ja_JP.SJIS", 1);
  setenv("LC_CTYPE", "de_DE.UTF-8", 1);
  setenv("LC_MESSAGES", "zh_TW.Big5", 1);  // the language's, not the page's
  EXPECT_STREQ(CodePageLocaleName(), "de_DE.UTF-8");
  unsetenv("LC_CTYPE");
  EXPECT_STREQ(CodePageLocaleName(), "ja_JP.SJIS");
  setenv("LC_ALL", "C", 1);
  EXPECT_STREQ(CodePageLocaleName(), "C");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
}
#endif

TEST(AnsiText, Page1252HasNoLeadBytesAndConvertsEveryByte) {
  CodePageLocale locale("de_DE");
  REQUIRE_CODE_PAGE(1252u);
  for (int byte = 0; byte < 256; ++byte) EXPECT_FALSE(IsAnsiLeadByte(byte)) << byte;
  std::string ansi;
  EXPECT_TRUE(UnicodeToAnsi(u"Men\u00FC \u20AC", &ansi));
  EXPECT_EQ(ansi, "Men\xFC \x80");
  std::u16string unicode;
  EXPECT_TRUE(AnsiToUnicode("Caf\xE9\x9F", &unicode));
  EXPECT_EQ(unicode, u"Caf\u00E9\u0178");
  // No look-alikes: a fullwidth backslash is no separator.
  EXPECT_FALSE(UnicodeToAnsi(u"\u3042\uFF3C\u0100", &ansi));
  EXPECT_EQ(ansi, "???");
  EXPECT_TRUE(Utf8ToAnsi("Caf\xC3\xA9", &ansi));
  EXPECT_EQ(ansi, "Caf\xE9");
}

TEST(AnsiText, Page932PairsLeadAndTrailBytes) {
  CodePageLocale locale("ja_JP.SJIS");
  REQUIRE_CODE_PAGE(932u);
  EXPECT_TRUE(IsAnsiLeadByte(0x95));
  EXPECT_TRUE(IsAnsiLeadByte(0xE0));
  EXPECT_FALSE(IsAnsiLeadByte(0xA0));
  EXPECT_STREQ(FindLastAnsiChar("a\\\x95\\b", '\\'), "\\\x95\\b");
  std::string ansi;
  // U+8868 is 0x95 0x5C: its trail byte equals "\".
  EXPECT_TRUE(Utf8ToAnsi("\xE3\x81\x82/\xE8\xA1\xA8", &ansi));
  EXPECT_EQ(ansi, "\x82\xA0/\x95\x5C");
  std::u16string unicode;
  EXPECT_TRUE(AnsiToUnicode(ansi, &unicode));
  EXPECT_EQ(unicode, u"\u3042/\u8868");
  EXPECT_FALSE(UnicodeToAnsi(u"Caf\u00E9", &ansi));  // never "Cafe"
  EXPECT_EQ(ansi, "Caf?");
  EXPECT_FALSE(AnsiToUnicode("\x82", &unicode));  // a lead byte alone
}

TEST(AnsiText, Utf8LocaleHasNoLeadBytesAndKeepsUtf8) {
  CodePageLocale locale("ja_JP.UTF-8");
  REQUIRE_CODE_PAGE(kUtf8CodePage);
  for (int byte = 0; byte < 256; ++byte) EXPECT_FALSE(IsAnsiLeadByte(byte)) << byte;
  std::string ansi;
  EXPECT_TRUE(Utf8ToAnsi("\xE3\x81\x82/Caf\xC3\xA9", &ansi));
  EXPECT_EQ(ansi, "\xE3\x81\x82/Caf\xC3\xA9");
  EXPECT_FALSE(Utf8ToAnsi("Caf\xE9", &ansi));
}

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

using Args = std::vector<std::string>;

TEST(SplitArguments, FollowsTheRuntimeRules) {
  EXPECT_EQ(SplitArguments("a  b\tc "), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitArguments("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitArguments("a\"b c\"d"), (Args{"ab cd"}));
  EXPECT_EQ(SplitArguments("\"\""), (Args{""}));
  EXPECT_EQ(SplitArguments("a\\\\b"), (Args{"a\\\\b"}));       // lone backslashes stay
  EXPECT_EQ(SplitArguments("a\\\"b"), (Args{"a\"b"}));         // \" is a quote
  EXPECT_EQ(SplitArguments("\"a\\\\\" b"), (Args{"a\\", "b"}));  // \\" halves, quote ends
  EXPECT_EQ(SplitArguments("\"a\"\"b\""), (Args{"a\"b"}));       // "" inside quotes
  EXPECT_EQ(SplitArguments(""), Args{});
}

TEST(SplitCommandLine, ProgramNameTakesNoEscapes) {
  EXPECT_EQ(SplitCommandLine("\"C:\\my dir\\p.exe\" -x"), (Args{"C:\\my dir\\p.exe", "-x"}));
  EXPECT_EQ(SplitCommandLine("C:\\a\\\"b c"), (Args{"C:\\a\\b c"}));
  EXPECT_EQ(SplitCommandLine("p.exe"), (Args{"p.exe"}));
}

TEST(QuoteArgument, RoundTripsThroughTheSplitter) {
  const Args cases[] = {
      {},
      {""},
      {"plain", "two words", "tab\there"},
      {"quote\"inside", "\"", "\"\"", "ends with \\", "\\\\server\\share\\"},
      {"back\\\\\"slash", "  ", "\\\"", "a\\b\\\\c"},
      {"multi\nline", "\x81\\\x82", "trail\\"},
  };
  for (const Args& args : cases) {
    EXPECT_EQ(SplitArguments(JoinArguments(args).c_str()), args) << JoinArguments(args);
  }
  EXPECT_EQ(QuoteArgument("simple"), "simple");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("x\\"), "x\\");  // no quotes, no doubling needed
}
