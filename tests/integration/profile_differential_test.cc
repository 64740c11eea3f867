// The native reader against the system's: every file of the table is read
// by the native profile-get and by the Windows build's profile-get under
// Wine (which asks GetPrivateProfileStringA and GetPrivateProfileIntA), and
// the answers must agree byte for byte, buffer contents and lengths at every
// cut included. Where Wine is known to depart from what Windows documents,
// the native reader follows Windows; those cases are listed on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "integration/launcher_harness.h"
#include "support/hex.h"

namespace {

// A string query; each one is asked at every buffer size of kCutSizes.
struct Ask {
  std::string section;
  std::string key;
  const char* fallback;  // null: no default
  // Buffer sizes where Wine departs from Windows (see the departures test);
  // they are left out of the comparison.
  std::vector<unsigned long> wineDepartsAt = {};
};

struct ProfileFile {
  const char* what;
  std::string bytes;
  std::vector<Ask> strings;
  std::vector<std::pair<std::string, std::string>> integers = {};  // section, key
  bool exists = true;
  std::vector<std::string> keyLists = {};  // sections whose key names are listed
};

const unsigned long kCutSizes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 261};

// Code page 1252 for both readers (Wine takes it from the language of the
// locale name, ours from its character set as well).
const char kWesternLocale[] = "en_US.ISO-8859-1";
const char kJapaneseLocale[] = "ja_JP.SJIS";

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

const std::vector<ProfileFile>& WesternFiles() {
  static const std::vector<ProfileFile> files = {
      {"blanks inside the brackets",
       "[ PARAMS ]\r\nA=1\r\n[BEFORE ]\r\nB=2\r\n[\tT\t]\nC=3\n[\vU\f]\nD=4\n[\x1aV ]\nE=5\n",
       {{"PARAMS", "A", "d"}, {" PARAMS ", "A", "d"}, {"BEFORE", "B", "d"}, {"T", "C", "d"},
        {"U", "D", "d"}, {"V", "E", "d"}},
       {{"PARAMS", "A"}, {"BEFORE", "B"}},
       true,
       {"PARAMS", " PARAMS ", "T"}},
      {"blanks around names and values",
       "[S]\n\tA\t=\tx y\t\n\vB\v=\vy\v\n C = \x1a z \x1a\n\xa0" "D\xa0=\xa0w\xa0\n",
       {{"S", "A", "d"}, {"S", "B", "d"}, {"S", "C", "d"}, {"S", "D", "d"}, {"S", "\xa0" "D\xa0", "d"},
        {"\tS ", " A\t", "d"}}},
      {"line ends mixed in one file", "[S]\nA=x\rB=y\r\nC=z\n\rD=w\n\n\rE=v\r\r\nN=5\r",
       {{"S", "A", "d"}, {"S", "B", "d"}, {"S", "C", "d"}, {"S", "D", "d"}, {"S", "E", "d"}},
       {{"S", "N"}}},
      {"lone CR only", "[S]\rA=1\rB=two\r", {{"S", "A", "d"}, {"S", "B", "d"}}, {{"S", "A"}}},
      {"quotes",
       "[S]\nA=\"x\"\nB='y'\nC=\"z'\nD=\"\"\nE=\"\nF=\"  spaced  \"\nG=\"a\"b\"\nH='it''s'\n"
       "I=\"0123456789\"\n",
       {{"S", "A", "d", {2}}, {"S", "B", "d", {2}}, {"S", "C", "d"}, {"S", "D", "d"}, {"S", "E", "d"},
        {"S", "F", "d", {11}}, {"S", "G", "d", {4}}, {"S", "H", "d", {6}}, {"S", "I", "d", {11}}}},
      {"comments", "[S]\n;A=1\n#B=2\nA=3\n ; C=4\n",
       {{"S", ";A", "d"}, {"S", "#B", "d"}, {"S", "A", "d"}, {"S", "C", "d"}, {"S", "; C", "d"}},
       {},
       true,
       {"S"}},
      {"duplicate keys and sections", "[S]\nA=1\nA=2\n[T]\nB=1\n[s]\nA=3\nC=4\n",
       {{"S", "A", "d"}, {"S", "C", "d"}, {"T", "B", "d"}}, {{"S", "A"}}, true, {"s", "T", "U"}},
      {"key without '='", "[S]\nA\nA=2\nB\n", {{"S", "A", "d"}, {"S", "B", "d"}}, {{"S", "A"}},
       true, {"S"}},
      {"NUL bytes", Bytes("[S]\nA=1\0B=2\nC\0D=3\n[T\0U]\nE=5\n", 28),
       {{"S", "A", "d"}, {"S", "B", "d"}, {"S", "C", "d"}, {"T", "E", "d"}}, {{"S", "A"}}, true,
       {"S", "T"}},
      {"8-bit bytes", "[S]\nA=caf\xe9\nB=\x81\x8d\x8f\x90\x9d\xff\n[\xe9t\xe9]\n\xe0=1\n",
       {{"S", "A", "d"}, {"S", "B", "d"}, {"\xe9t\xe9", "\xe0", "d"}}},
      {"keys before the first section", "A=0\nB=1\n[S]\nA=1\n[]\nC=2\n",
       {{"", "A", "d"}, {"", "B", "d"}, {"S", "A", "d"}, {"", "C", "d"}, {" ", "B", "d"}},
       {},
       true,
       {"", "S"}},
      // Not listed: Wine drops the whole list when its first name is empty.
      {"empty key names", "[S]\n=v\n = w\n", {{"S", "", "d"}, {"S", " ", "d"}}},
      {"section headers with more on the line", "[S] junk\nA=1\n[T]]\nB=2\n[U\nC=3\n",
       {{"S", "A", "d"}, {"T]", "B", "d"}, {"T", "B", "d"}, {"U", "C", "d"}, {"[U", "C", "d"}}},
      {"names without regard to ASCII case", "[params]\nDefaultCmd=x\n",
       {{"PARAMS", "DEFAULTCMD", "d"}, {"Params", "defaultcmd", "d"}}},
      {"defaults", "[S]\nA=x\n",
       {{"S", "B", "dflt"}, {"S", "B", "\"q\"", {2}}, {"S", "B", "'q'", {2}}, {"S", "B", "a  "},
        {"S", "B", " a"}, {"S", "B", "\t"}, {"S", "B", nullptr}, {"X", "A", "d"}}},
      {"no file", "", {{"S", "A", "dflt"}, {"S", "A", "\"q\"", {2}}, {"S", "A", "a  "}}, {{"S", "A"}},
       false, {"S"}},
      {"values cut at every size", "[S]\nA=0123456789abcdef\nB=\"0123456789\"\nC='x'\n",
       {{"S", "A", "d"}, {"S", "B", "d", {11}}, {"S", "C", "d", {2}}}},
      // An even length: after a last odd byte Wine reads whatever memory
      // follows, so no answer of the system could be compared.
      {"UTF-16LE, as Notepad saves \"Unicode\"",
       Bytes("\xff\xfe[\0S\0]\0\r\0\n\0A\0=\0c\0a\0f\0\xe9\0 \0\x42\x30 \0\x16\x04\r\0\n\0"
             "[\0\xc9\0]\0\n\0N\0=\0\x34\0\x32\0\n\0O\0=\0\x78\0", 60),
       {{"S", "A", "d"}, {"s", "A", "d"}, {"\xc9", "N", "d"}, {"\xc9", "O", "d"}},
       {{"\xc9", "N"}},
       true,
       {"\xc9"}},
      {"UTF-16BE", Bytes("\xfe\xff\0[\0S\0]\0\n\0A\0=\0\xe9\x30\x42", 18),
       {{"S", "A", "d"}}},
      {"UTF-8 with its mark", "\xef\xbb\xbf[S]\nA=caf\xc3\xa9 \xe3\x81\x82\nB=\xc3\n",
       {{"S", "A", "d"}, {"S", "B", "d"}}},
      {"byte-order mark alone", "\xff\xfe", {{"S", "A", "d"}}},
      {"integers",
       "[S]\nN=42\nH=0x1f\nX=0X10\nB=0B11\nO=0O17\no=0o17\nb=0b101\nM=-0x10\nP=+7\nW= \t 12\n"
       "Q=\"7\"\nE=\nG=12abc\nL=4294967297\nZ=abc\nS=- 5\nF=0x\nT=   -0b11\n",
       {},
       {{"S", "N"}, {"S", "H"}, {"S", "X"}, {"S", "B"}, {"S", "O"}, {"S", "o"}, {"S", "b"},
        {"S", "M"}, {"S", "P"}, {"S", "W"}, {"S", "Q"}, {"S", "E"}, {"S", "G"}, {"S", "L"},
        {"S", "Z"}, {"S", "S"}, {"S", "F"}, {"S", "T"}, {"S", "none"}}},
  };
  return files;
}

const std::vector<ProfileFile>& JapaneseFiles() {
  static const std::vector<ProfileFile> files = {
      // 0x5C and 0x5D are trail bytes here ("\" and "]" in ASCII).
      {"double-byte names", "[\x95\\]\nA=1\n[\x83]]\nB=2\n[\x82`]\nC=3\n",
       {{"\x95\\", "A", "d"}, {"\x83]", "B", "d"}, {"\x82`", "C", "d"}}},
      {"double-byte values cut at whole characters", "[S]\nA=x\x82\xa0\x82\xa0\n",
       {{"S", "A", "d", {3, 5}}}},
  };
  return files;
}

std::string HexOrNone(const char* text) { return text != nullptr ? HexEncode(text) : "-"; }

// Writes the files and one batch of queries over them.
std::string WriteQueries(const TempDir& dir, const std::vector<ProfileFile>& files,
                         const std::string& prefix, std::vector<std::string>* labels) {
  std::ostringstream queries;
  for (size_t i = 0; i < files.size(); ++i) {
    const ProfileFile& file = files[i];
    const std::string name = prefix + std::to_string(i) + ".ini";
    if (file.exists) dir.Write(name, file.bytes);
    const std::string path = dir.WinPath(name);
    for (const Ask& ask : file.strings) {
      for (unsigned long size : kCutSizes) {
        if (std::count(ask.wineDepartsAt.begin(), ask.wineDepartsAt.end(), size) != 0) continue;
        queries << "s " << size << " " << HexEncode(ask.section) << " " << HexEncode(ask.key)
                << " " << HexOrNone(ask.fallback) << " " << path << "\n";
        labels->push_back(std::string(file.what) + ": [" + ask.section + "] " + ask.key +
                          " size " + std::to_string(size));
      }
    }
    for (const auto& integer : file.integers) {
      queries << "i 7 " << HexEncode(integer.first) << " " << HexEncode(integer.second) << " "
              << path << "\n";
      labels->push_back(std::string(file.what) + ": integer [" + integer.first + "] " +
                        integer.second);
    }
    for (const std::string& section : file.keyLists) {
      queries << "k " << HexEncode(section) << " " << path << "\n";
      labels->push_back(std::string(file.what) + ": key names of [" + section + "]");
    }
  }
  const std::string queryFile = prefix + "queries.txt";
  dir.Write(queryFile, queries.str());
  return queryFile;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string NativeProfileGet() { return std::string(LAUNCHER_NATIVE_BIN_DIR) + "/profile-get"; }

void ExpectSameAnswers(const std::vector<ProfileFile>& files, const char* locale) {
  TempDir dir;
  std::vector<std::string> labels;
  const std::string queries = WriteQueries(dir, files, "f", &labels);
  const EnvChanges env = {{"LC_ALL", std::string(locale)}};
  const std::vector<std::string> native =
      Lines(RunHostCommand({NativeProfileGet(), "--batch", dir.Path(queries)}, env));
  const std::vector<std::string> system =
      Lines(RunWineCommand({BuildProgram("profile-get"), "--batch", dir.WinPath(queries)},
                           nullptr, env));
  ASSERT_EQ(native.size(), labels.size());
  ASSERT_EQ(system.size(), labels.size());
  for (size_t i = 0; i < labels.size(); ++i)
    EXPECT_EQ(native[i], system[i]) << labels[i] << " (native, then Windows)";
}

}  // namespace

TEST(ProfileDifferential, NativeReaderAnswersAsTheSystem) {
  if (!UnderWine()) GTEST_SKIP() << "needs the Windows build under Wine";
  ExpectSameAnswers(WesternFiles(), kWesternLocale);
  ExpectSameAnswers(JapaneseFiles(), kJapaneseLocale);
}

// Where Wine departs from what Windows documents, the native reader gives
// what Windows documents (and what a careful reader must): these answers are
// the native reader's, checked on every run.
TEST(ProfileDifferential, DeparturesFromWineFollowWindows) {
  struct Departure {
    const char* why;
    const char* locale;
    std::string bytes;
    Ask ask;
    unsigned long size;
    std::string answer;  // "<length> <buffer>" as profile-get prints it
  };
  const Departure departures[] = {
      // The documentation: trailing blanks of the default are dropped. Wine
      // keeps the first character of a default made of blanks only.
      {"default of blanks", kWesternLocale, "[S]\n", {"S", "A", "  "}, 4, "0 00cccccc"},
      // The value fits the buffer; Wine cuts it first and then takes off
      // the closing quote's place, losing the last character.
      {"quoted value that just fits", kWesternLocale, "[S]\nA=\"abcdef\"\n", {"S", "A", "d"}, 7,
       "6 61626364656600"},
      // Wine leaves the byte where half a character would go untouched (a
      // stray byte from the caller's buffer); the native reader ends the
      // value there and still reports the cut as size - 1.
      {"cut through a double-byte character", kJapaneseLocale, "[S]\nA=\x82\xa0\x82\xa0\n",
       {"S", "A", "d"}, 4, "3 82a00000"},
      // Names compare without regard to case for every letter of the code
      // page, as the documentation says; Wine folds only a to z.
      {"accented letters in names", kWesternLocale, "[\xc9t\xc9]\n\xe9=1\n",
       {"\xe9T\xe9", "\xc9", "d"}, 4, "1 3100cccc"},
      {"full-width letters in names", kJapaneseLocale, "[\x82\x81]\nA=3\n",
       {"\x82`", "a", "d"}, 3, "1 3300cc"},
  };
  TempDir dir;
  for (const Departure& d : departures) {
    dir.Write("t.ini", d.bytes);
    dir.Write("q.txt", "s " + std::to_string(d.size) + " " + HexEncode(d.ask.section) + " " +
                           HexEncode(d.ask.key) + " " + HexOrNone(d.ask.fallback) + " " +
                           dir.WinPath("t.ini") + "\n");
    EXPECT_EQ(RunHostCommand({NativeProfileGet(), "--batch", dir.Path("q.txt")},
                             {{"LC_ALL", std::string(d.locale)}}),
              d.answer + "\n")
        << d.why;
  }
}
