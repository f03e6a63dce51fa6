#include "files/DosTime.h"

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

bool SetFileDosTime(int fd, uint32_t dosDateTime) {
  struct tm local {};
  if (!LocalTimeFromDosDateTime(dosDateTime, local)) return false;
  const time_t seconds = mktime(&local);
  if (seconds == static_cast<time_t>(-1)) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  return futimens(fd, times) == 0;
}

}  // namespace orn
