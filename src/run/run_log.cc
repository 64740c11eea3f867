#include "run/run_log.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/file_system.h"

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

}  // namespace

void OpenRunLog(const char* path, RunLog* log) {
  log->path[0] = '\0';
  if (path != nullptr) CopyWhole(log->path, sizeof(log->path), path);
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
