// A scratch directory for one test, removed with everything in it afterwards.
#ifndef LAUNCHER_TESTS_SUPPORT_TEMP_DIR_H
#define LAUNCHER_TESTS_SUPPORT_TEMP_DIR_H

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The host path of the directory, or of `relative` below it ('/' apart).
  std::string Path(const std::string& relative = "") const;
  // The same in the launcher's drive form, with backslashes.
  std::string WinPath(const std::string& relative = "") const;

  void Write(const std::string& relative, const std::string& contents) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string path_;
};

// The whole content of a file named by its host path; empty when it cannot
// be read.
std::string ReadFile(const std::string& path);

#endif
