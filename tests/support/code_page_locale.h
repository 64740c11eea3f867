// Runs a test under a given ANSI code page. On POSIX systems the locale
// environment selects it, so the guard sets LC_ALL and puts it back; on
// Windows the page is the system's, and a test that needs another one skips.
#ifndef LAUNCHER_TESTS_SUPPORT_CODE_PAGE_LOCALE_H
#define LAUNCHER_TESTS_SUPPORT_CODE_PAGE_LOCALE_H

#include <optional>

#include "platform/text.h"
#include "support/scoped_env.h"

class CodePageLocale {
 public:
  // `locale` is a POSIX locale name such as "ja_JP.SJIS".
  explicit CodePageLocale(const char* locale) {
#ifndef _WIN32
    lcAll_.emplace("LC_ALL", locale);
    RereadAnsiCodePage();
#else
    (void)locale;
#endif
  }
  ~CodePageLocale() {
#ifndef _WIN32
    lcAll_.reset();
    RereadAnsiCodePage();
#endif
  }

 private:
  std::optional<ScopedEnv> lcAll_;
};

// Use as: CodePageLocale locale("ja_JP.SJIS"); REQUIRE_CODE_PAGE(932);
#define REQUIRE_CODE_PAGE(page)                                              \
  if (CurrentAnsiCodePage() != (page))                                        \
  GTEST_SKIP() << "needs code page " << (page) << ", the system has "        \
               << CurrentAnsiCodePage()

#endif
