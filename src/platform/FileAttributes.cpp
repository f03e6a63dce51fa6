#include "platform/FileAttributes.h"

#include <sys/stat.h>

namespace orn::platform {

uint32_t FileAttributes(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return kInvalidAttributes;
  uint32_t attributes = kAttrArchive;  // regular files and the other kinds
  if (S_ISDIR(st.st_mode))
    attributes = kAttrDirectory;
  else if (S_ISLNK(st.st_mode))
    attributes = kAttrReparsePoint;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttrReadOnly;
  return attributes;
}

}  // namespace orn::platform
