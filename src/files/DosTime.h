// Entry times of zip archives: DOS date (high 16 bits) and time (low 16 bits) in local time,
// with a grain of two seconds, between 1980 and 2107.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace orn {

// The last-write time (mtime) of the path, not following a link, as local time. False, with the
// time cleared, when the path does not exist.
bool GetFileLocalTime(const std::string& path, struct tm& time);

// Sets the open file's last-write time from a DOS date and time (local time), leaving its access
// time. False when the DOS value is not a valid date and time or the time cannot be set.
bool SetFileDosTime(int fd, uint32_t dosDateTime);

// The DOS date and time of a local time; times before 1980 give 1 January 1980, times after 2107
// the last second of 2107.
uint32_t DosDateTimeFromLocalTime(const struct tm& time);

// Converts a DOS date and time to local broken-down time; false when it is not a valid one.
bool LocalTimeFromDosDateTime(uint32_t dosDateTime, struct tm& time);

}  // namespace orn
