#include "platform/text.h"

namespace {

void AppendCodePoint(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    out->push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

}  // namespace

bool DecodeUtf8(const std::string& utf8, std::u16string* unicode) {
  unicode->clear();
  bool wellFormed = true;
  const size_t size = utf8.size();
  for (size_t i = 0; i < size;) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      unicode->push_back(lead);
      ++i;
      continue;
    }
    size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, c = lead & 0x07, least = 0x10000;
    }
    bool good = length != 0 && i + length <= size;
    for (size_t k = 1; good && k < length; ++k) {
      const unsigned char trail = static_cast<unsigned char>(utf8[i + k]);
      if ((trail & 0xC0) != 0x80) good = false;
      c = (c << 6) | (trail & 0x3F);
    }
    if (good && (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) good = false;
    if (!good) {
      wellFormed = false;
      unicode->push_back(u'\uFFFD');
      ++i;
      continue;
    }
    AppendCodePoint(c, unicode);
    i += length;
  }
  return wellFormed;
}

bool EncodeUtf8(const std::u16string& unicode, std::string* utf8) {
  utf8->clear();
  bool wellFormed = true;
  for (size_t i = 0; i < unicode.size(); ++i) {
    char32_t c = unicode[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      const bool paired = c <= 0xDBFF && i + 1 < unicode.size() &&
                          unicode[i + 1] >= 0xDC00 && unicode[i + 1] <= 0xDFFF;
      if (!paired) {
        wellFormed = false;
        utf8->push_back('?');
        continue;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (unicode[++i] - 0xDC00);
    }
    if (c < 0x80) {
      utf8->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      utf8->push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      utf8->push_back(static_cast<char>(0xE0 | (c >> 12)));
      utf8->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      utf8->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      utf8->push_back(static_cast<char>(0xF0 | (c >> 18)));
      utf8->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      utf8->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      utf8->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return wellFormed;
}
