#include "files/EntryFileInfo.h"

#include <ctime>

#include "files/DosTime.h"
#include "platform/FileAttributes.h"

namespace orn {

namespace {

bool IsValidUtf8(const std::string& text, bool& ascii) {
  ascii = true;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x06 ? 2
                          : (lead >> 4) == 0x0E ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2)) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    if (length > 1) ascii = false;
    i += length;
  }
  return true;
}

}  // namespace

uint32_t AttributesOf(const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? platform::kAttrDirectory : platform::kAttrArchive;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= platform::kAttrReadOnly;
  return attributes;
}

zip_fileinfo EntryFileInfo(const struct stat* st, uint32_t attributes) {
  zip_fileinfo info{};
  struct tm local {};
  if (st && localtime_r(&st->st_mtime, &local)) {
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    info.dosDate = DosDateTimeFromLocalTime(local);  // kept within the DOS range
  } else {
    info.tmz_date.tm_mon = static_cast<uInt>(-1);  // gives date and time zero
  }
  info.external_fa = attributes;
  return info;
}

zip_fileinfo EntryFileInfo(const struct stat* st) {
  return EntryFileInfo(st, st ? AttributesOf(*st) : platform::kInvalidAttributes);
}

uLong EntryNameFlags(const std::string& name) {
  bool ascii = true;
  return IsValidUtf8(name, ascii) && !ascii ? kFlagUtf8Name : 0;
}

}  // namespace orn
