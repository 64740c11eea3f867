#include "platform/text.h"

#include <windows.h>

#include <climits>

namespace {

// The conversion calls count in int.
constexpr size_t kLongest = INT_MAX / 4;

int Decode(DWORD flags, const std::string& ansi, std::u16string* unicode) {
  const int length = static_cast<int>(ansi.size());
  const int count = MultiByteToWideChar(CP_ACP, flags, ansi.data(), length, nullptr, 0);
  if (count <= 0) return count;
  unicode->resize(static_cast<size_t>(count));
  return MultiByteToWideChar(CP_ACP, flags, ansi.data(), length,
                             reinterpret_cast<wchar_t*>(&(*unicode)[0]), count);
}

int Encode(DWORD flags, const std::u16string& unicode, std::string* ansi, BOOL* usedDefault) {
  const wchar_t* text = reinterpret_cast<const wchar_t*>(unicode.data());
  const int length = static_cast<int>(unicode.size());
  const int count =
      WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, usedDefault);
  if (count <= 0) return count;
  ansi->resize(static_cast<size_t>(count));
  return WideCharToMultiByte(CP_ACP, flags, text, length, &(*ansi)[0], count, nullptr,
                             usedDefault);
}

}  // namespace

unsigned CurrentAnsiCodePage() { return GetACP(); }

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

bool AnsiToUnicode(const std::string& ansi, std::u16string* unicode) {
  unicode->clear();
  if (ansi.empty()) return true;
  if (ansi.size() > kLongest) return false;
  // A system set to UTF-8 refuses the flags below for it.
  if (GetACP() == kUtf8CodePage) return DecodeUtf8(ansi, unicode);
  if (Decode(MB_ERR_INVALID_CHARS, ansi, unicode) > 0) return true;
  // Older systems may not know the flag: they cannot tell, and neither can we.
  const bool flagUnknown = GetLastError() == ERROR_INVALID_FLAGS;
  if (Decode(0, ansi, unicode) <= 0) {
    unicode->clear();
    return false;
  }
  return flagUnknown;
}

bool UnicodeToAnsi(const std::u16string& unicode, std::string* ansi) {
  ansi->clear();
  if (unicode.empty()) return true;
  if (unicode.size() > kLongest) return false;
  if (GetACP() == kUtf8CodePage) return EncodeUtf8(unicode, ansi);
  // Without WC_NO_BEST_FIT_CHARS a fullwidth backslash would become "\".
  // Systems before 2000 refuse the flag; the round trip below still tells.
  BOOL usedDefault = FALSE;
  int count = Encode(WC_NO_BEST_FIT_CHARS, unicode, ansi, &usedDefault);
  if (count <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    usedDefault = FALSE;
    count = Encode(0, unicode, ansi, &usedDefault);
  }
  if (count <= 0) {
    ansi->assign(unicode.size(), '?');
    return false;
  }
  if (usedDefault) return false;
  std::u16string back;
  return AnsiToUnicode(*ansi, &back) && back == unicode;
}

uint16_t GetSystemDefaultLanguage() { return GetSystemDefaultLangID(); }
