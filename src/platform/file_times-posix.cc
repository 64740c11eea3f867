#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>

#include "platform/file_system-posix.h"

namespace {

constexpr uint64_t kUnixEpochInFileTime = 116444736000000000ull;  // 1970-01-01

uint64_t FileTimeFromTimespec(const struct timespec& time) {
  return kUnixEpochInFileTime + static_cast<uint64_t>(time.tv_sec) * 10000000ull +
         static_cast<uint64_t>(time.tv_nsec) / 100u;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The stamp as local broken-down time, refused where Windows refuses it:
// month 0 or above 12, a day past the month's end, hour above 23, minute
// above 59 or second above 59.
bool DosStampToLocalTime(uint32_t dosDateTime, struct tm* local) {
  const unsigned date = dosDateTime >> 16;
  const unsigned time = dosDateTime & 0xFFFF;
  const int year = static_cast<int>(date >> 9) + 1980;
  const int month = static_cast<int>((date >> 5) & 0x0F);
  const int day = static_cast<int>(date & 0x1F);
  const int hour = static_cast<int>(time >> 11);
  const int minute = static_cast<int>((time >> 5) & 0x3F);
  const int second = static_cast<int>(time & 0x1F) * 2;
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  const int monthDays = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > monthDays || hour > 23 || minute > 59 || second > 59) return false;
  *local = tm{};
  local->tm_year = year - 1900;
  local->tm_mon = month - 1;
  local->tm_mday = day;
  local->tm_hour = hour;
  local->tm_min = minute;
  local->tm_sec = second;
  local->tm_isdst = -1;  // whatever is in force at that date
  return true;
}


// Sets the last-write time of the open `fd` to the stamp; the last access
// stays. A stamp that is no valid date leaves the times as they are.
void StampDescriptor(int fd, uint32_t dosDateTime) {
  struct tm local;
  if (!DosStampToLocalTime(dosDateTime, &local)) return;
  const time_t stamp = mktime(&local);
  if (stamp == static_cast<time_t>(-1)) return;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = stamp;
  times[1].tv_nsec = 0;
  futimens(fd, times);
}

}  // namespace

bool SetFileTimesFromDosStamp(const char* path, uint32_t dosDateTime) {
  const std::string native = HostPath(path);
  struct stat info;
  // Windows opens neither a directory (without backup semantics) nor a
  // read-only file for writing; root would get both here.
  if (stat(native.c_str(), &info) != 0 || RefusesReplacement(AttributesOfMode(info.st_mode)))
    return false;
  int fd = open(native.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  StampDescriptor(fd, dosDateTime);
  close(fd);
  return true;
}

bool StampOutputFileFromDos(OutputFile* file, uint32_t dosDateTime) {
  // A write after the stamp would move the last-write time again.
  if (!SendGatheredWrites(file)) return false;
  StampDescriptor(static_cast<int>(file->handle), dosDateTime);
  return true;
}

bool ReadFileTimes(const char* path, FileTimes* times) {
  struct stat info;
  if (stat(HostPath(path).c_str(), &info) != 0) return false;
  times->creation = FileTimeFromTimespec(info.st_ctim);
  times->lastAccess = FileTimeFromTimespec(info.st_atim);
  times->lastWrite = FileTimeFromTimespec(info.st_mtim);
  return true;
}
