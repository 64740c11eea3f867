// UTF-8 and 1252 are converted here by hand. The double-byte pages go
// through the C library's iconv, which in a static program loads its
// converters at run time; where they are missing every conversion of such a
// page reports a loss, so nothing is ever written under a guessed name.
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>

namespace {

unsigned g_codePage = 0;  // 0: not read yet

// Bytes 0x80-0x9F of 1252; the five it leaves open stand for themselves.
const char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Encode1252(char16_t c, char* byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    *byte = static_cast<char>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (k1252High[i] == c) {
      *byte = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 20932: return "EUC-JP";
    case 54936: return "GB18030";
    default: return nullptr;
  }
}

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const char kUtf16[] = "UTF-16LE";
#else
const char kUtf16[] = "UTF-16BE";
#endif

// One converter per direction, opened on first use and kept.
iconv_t Converter(bool toUnicode) {
  static iconv_t converters[2] = {reinterpret_cast<iconv_t>(-1), reinterpret_cast<iconv_t>(-1)};
  static unsigned openedFor[2] = {0, 0};
  const unsigned codePage = CurrentAnsiCodePage();
  iconv_t& converter = converters[toUnicode ? 1 : 0];
  if (openedFor[toUnicode ? 1 : 0] != codePage) {
    if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
    const char* name = IconvName(codePage);
    converter = name == nullptr ? reinterpret_cast<iconv_t>(-1)
                : toUnicode     ? iconv_open(kUtf16, name)
                                : iconv_open(name, kUtf16);
    openedFor[toUnicode ? 1 : 0] = codePage;
  }
  if (converter != reinterpret_cast<iconv_t>(-1)) iconv(converter, nullptr, nullptr, nullptr, nullptr);
  return converter;
}

// Converts `length` bytes; false unless all of them were converted.
bool Convert(iconv_t converter, const char* in, size_t length, char* out, size_t* outLength) {
  char* input = const_cast<char*>(in);
  size_t left = length;
  size_t room = *outLength;
  char* output = out;
  const size_t result = iconv(converter, &input, &left, &output, &room);
  *outLength = static_cast<size_t>(output - out);
  return result != static_cast<size_t>(-1) && left == 0;
}

bool DoubleByteToUnicode(const std::string& ansi, std::u16string* unicode) {
  iconv_t converter = Converter(true);
  bool clean = converter != reinterpret_cast<iconv_t>(-1);
  // A character at a time, so that a bad one costs only itself.
  for (size_t i = 0; i < ansi.size();) {
    const unsigned char byte = static_cast<unsigned char>(ansi[i]);
    const size_t length = IsAnsiLeadByte(byte) && i + 1 < ansi.size() ? 2 : 1;
    char16_t out[4];
    size_t outLength = sizeof(out);
    if (byte < 0x80) {
      unicode->push_back(byte);
    } else if (converter != reinterpret_cast<iconv_t>(-1) &&
               Convert(converter, &ansi[i], length, reinterpret_cast<char*>(out), &outLength) &&
               outLength >= 2) {
      unicode->append(out, outLength / 2);
    } else {
      clean = false;
      unicode->push_back(u'\uFFFD');
    }
    i += length;
  }
  return clean;
}

bool UnicodeToDoubleByte(const std::u16string& unicode, std::string* ansi) {
  iconv_t converter = Converter(false);
  bool lossless = true;
  for (size_t i = 0; i < unicode.size();) {
    const char16_t c = unicode[i];
    const size_t length = c >= 0xD800 && c <= 0xDBFF && i + 1 < unicode.size() ? 2 : 1;
    char out[8];
    size_t outLength = sizeof(out);
    if (c < 0x80) {
      ansi->push_back(static_cast<char>(c));
    } else if (converter != reinterpret_cast<iconv_t>(-1) &&
               Convert(converter, reinterpret_cast<const char*>(&unicode[i]), length * 2, out,
                       &outLength) &&
               outLength > 0) {
      ansi->append(out, outLength);
    } else {
      lossless = false;
      ansi->push_back('?');
    }
    i += length;
  }
  return lossless;
}

}  // namespace

unsigned CurrentAnsiCodePage() {
  if (g_codePage == 0) g_codePage = CodePageForLocale(CodePageLocaleName());
  return g_codePage;
}

void RereadAnsiCodePage() { g_codePage = 0; }

bool IsAnsiLeadByte(unsigned char byte) {
  return IsLeadByteOfCodePage(CurrentAnsiCodePage(), byte);
}

bool AnsiToUnicode(const std::string& ansi, std::u16string* unicode) {
  unicode->clear();
  switch (CurrentAnsiCodePage()) {
    case kUtf8CodePage:
      return DecodeUtf8(ansi, unicode);
    case 1252:
      for (char ch : ansi) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        unicode->push_back(byte >= 0x80 && byte < 0xA0 ? k1252High[byte - 0x80] : byte);
      }
      return true;
    default:
      return DoubleByteToUnicode(ansi, unicode);
  }
}

bool UnicodeToAnsi(const std::u16string& unicode, std::string* ansi) {
  ansi->clear();
  switch (CurrentAnsiCodePage()) {
    case kUtf8CodePage:
      return EncodeUtf8(unicode, ansi);
    case 1252: {
      bool lossless = true;
      for (char16_t c : unicode) {
        char byte;
        if (!Encode1252(c, &byte)) {
          lossless = false;
          byte = '?';
        }
        ansi->push_back(byte);
      }
      return lossless;
    }
    default:
      return UnicodeToDoubleByte(unicode, ansi);
  }
}

uint16_t GetSystemDefaultLanguage() {
  return LanguageIdForLocale(LocaleNameFromEnvironment());
}
