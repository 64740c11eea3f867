#include "run/run_log.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/file_system.h"
#include "platform/text.h"

namespace {

std::string LocalTimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const long long millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  char stamp[48] = "0000-00-00 00:00:00";
  // One thread only: the shared result of localtime is safe here.
  if (const std::tm* local = std::localtime(&seconds))
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", local);
  char withMillis[64];
  std::snprintf(withMillis, sizeof(withMillis), "%s.%03d", stamp, static_cast<int>(millis));
  return withMillis;
}

// Makes each missing folder of the log's path, level by level from the
// top, and counts those made. A drive ("C:") or a leading "\\server\share"
// is taken as given; a trail byte of a double-byte character never splits.
uint32_t MakeLogFolders(const char* path) {
  const char* last = FindLastAnsiChar(path, '\\');
  if (last == nullptr) return 0;
  const std::string parent(path, last);
  // Separators up to the share's own are not folders to make.
  int givenSeparators = parent.compare(0, 2, "\\\\") == 0 ? 4 : 0;
  uint32_t made = 0;
  for (size_t i = 0; i <= parent.size(); ++i) {
    const bool end = i == parent.size();
    if (!end && parent[i] != '\\') {
      if (IsAnsiLeadByte(static_cast<unsigned char>(parent[i]))) ++i;
      continue;
    }
    if (!end && givenSeparators > 0) {
      --givenSeparators;
      continue;
    }
    const std::string folder = parent.substr(0, i);
    const bool drive = folder.size() == 2 && folder[1] == ':';
    if (!folder.empty() && folder.back() != '\\' && !drive && !PathExists(folder.c_str()) &&
        CreateDirectoryAt(folder.c_str()))
      ++made;
  }
  return made;
}

}  // namespace

void OpenRunLog(const char* path, RunLog* log) {
  log->path[0] = '\0';
  log->foldersMade = 0;
  if (path == nullptr || !CopyWhole(log->path, sizeof(log->path), path)) return;
  if (log->path[0] != '\0') log->foldersMade = MakeLogFolders(log->path);
}

std::string FormatLogLine(const char* step, const std::string& text) {
  std::string line = std::string(step) + ": " + text;
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return line;
}

void LogStep(const RunLog& log, const char* step, const std::string& text) {
  if (log.path[0] == '\0') return;
  std::string native;
  if (!NativePath(log.path, &native)) return;
  std::FILE* file = std::fopen(native.c_str(), "ab");
  if (file == nullptr) return;
  const std::string line = LocalTimeStamp() + " " + FormatLogLine(step, text) + "\r\n";
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}
