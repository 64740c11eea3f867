#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/file_system.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  for (;;) {
    fs::path candidate = fs::temp_directory_path() /
                         ("launcher-test-" + std::to_string(random() % 100000000u));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempDir::Path(const std::string& relative) const {
  return relative.empty() ? path_ : (fs::path(path_) / relative).string();
}

std::string TempDir::WinPath(const std::string& relative) const {
  std::string path = DrivePathFromNative(Path(relative));
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void TempDir::Write(const std::string& relative, const std::string& contents) const {
  fs::path file = fs::path(Path(relative));
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << contents;
}

std::string TempDir::Read(const std::string& relative) const { return ReadFile(Path(relative)); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool TempDir::Exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(Path(relative), error);
}
