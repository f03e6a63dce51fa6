#include "files/DosTime.h"

#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace orn {

bool GetFileLocalTime(const std::string& path, struct tm& time) {
  time = {};
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  return localtime_r(&st.st_mtime, &time) != nullptr;
}

uint32_t DosDateTimeFromLocalTime(const struct tm& time) {
  const int year = time.tm_year + 1900;
  if (year < 1980) return (1u << 5 | 1u) << 16;  // 1 January 1980, 00:00:00
  if (year > 2107) return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
  const uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | (time.tm_mon + 1) << 5 | time.tm_mday);
  const uint32_t clock = static_cast<uint32_t>(time.tm_hour << 11 | time.tm_min << 5 | time.tm_sec / 2);
  return date << 16 | clock;
}

bool LocalTimeFromDosDateTime(uint32_t dosDateTime, struct tm& time) {
  const uint32_t date = dosDateTime >> 16;
  const uint32_t clock = dosDateTime & 0xFFFF;
  time = {};
  time.tm_year = static_cast<int>((date >> 9) + 80);
  time.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  time.tm_mday = static_cast<int>(date & 0x1F);
  time.tm_hour = static_cast<int>(clock >> 11);
  time.tm_min = static_cast<int>((clock >> 5) & 0x3F);
  time.tm_sec = static_cast<int>((clock & 0x1F) * 2);
  time.tm_isdst = -1;
  return time.tm_mon >= 0 && time.tm_mon < 12 && time.tm_mday >= 1 && time.tm_hour < 24 && time.tm_min < 60 &&
         time.tm_sec < 60;
}

namespace {

// mktime reads the time zone anew (a stat of /etc/localtime) on every call. Zones change their
// offset on the hour, so one offset holds for a whole hour of a date: the last one is kept, and
// an archive of many files asks the zone once per hour of their times.
time_t SecondsFromLocalTime(uint32_t dosDateTime, struct tm local) {
  static thread_local uint32_t lastHour = UINT32_MAX;
  static thread_local time_t lastOffset = 0;
  struct tm utc = local;
  const time_t asUtc = timegm(&utc);
  if (asUtc == static_cast<time_t>(-1)) return asUtc;
  if (dosDateTime >> 11 != lastHour) {
    const time_t seconds = mktime(&local);
    if (seconds == static_cast<time_t>(-1)) return seconds;
    lastOffset = seconds - asUtc;
    lastHour = dosDateTime >> 11;
  }
  return asUtc + lastOffset;
}

}  // namespace

bool SetFileDosTime(int fd, uint32_t dosDateTime) {
  struct tm local {};
  if (!LocalTimeFromDosDateTime(dosDateTime, local)) return false;
  const time_t seconds = SecondsFromLocalTime(dosDateTime, local);
  if (seconds == static_cast<time_t>(-1)) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  return futimens(fd, times) == 0;
}

}  // namespace orn
