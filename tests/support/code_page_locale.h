// Runs a test under a given ANSI code page. On POSIX systems the locale
// environment selects it, so the guard sets LC_ALL and puts it back; on
// Windows the page is the system's, and a test that needs another one skips.
#ifndef LAUNCHER_TESTS_SUPPORT_CODE_PAGE_LOCALE_H
#define LAUNCHER_TESTS_SUPPORT_CODE_PAGE_LOCALE_H

#include <cstdlib>
#include <string>

#include "platform/text.h"

class CodePageLocale {
 public:
  // `locale` is a POSIX locale name such as "ja_JP.SJIS".
  explicit CodePageLocale(const char* locale) {
#ifndef _WIN32
    const char* old = std::getenv("LC_ALL");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("LC_ALL", locale, 1);
    RereadAnsiCodePage();
#else
    (void)locale;
#endif
  }
  ~CodePageLocale() {
#ifndef _WIN32
    if (hadOld_) {
      setenv("LC_ALL", old_.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
    RereadAnsiCodePage();
#endif
  }
  CodePageLocale(const CodePageLocale&) = delete;
  CodePageLocale& operator=(const CodePageLocale&) = delete;

 private:
  bool hadOld_ = false;
  std::string old_;
};

// Use as: CodePageLocale locale("ja_JP.SJIS"); REQUIRE_CODE_PAGE(932);
#define REQUIRE_CODE_PAGE(page)                                              \
  if (CurrentAnsiCodePage() != (page))                                        \
  GTEST_SKIP() << "needs code page " << (page) << ", the system has "        \
               << CurrentAnsiCodePage()

#endif
