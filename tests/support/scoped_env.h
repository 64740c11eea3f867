// Sets an environment variable of the test process for one scope (or
// removes it, given no value) and puts the old value back afterwards.
#ifndef LAUNCHER_TESTS_SUPPORT_SCOPED_ENV_H
#define LAUNCHER_TESTS_SUPPORT_SCOPED_ENV_H

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

class ScopedEnv {
 public:
  ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) const {
#ifdef _WIN32
    // An empty value removes the variable.
    _putenv_s(name_.c_str(), value ? value : "");
#else
    if (value) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }

  std::string name_;
  std::optional<std::string> old_;
};

#endif
