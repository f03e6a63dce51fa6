// Walks the names of one open directory, as FindFirstFile/FindNextFile do: every name, "." and
// ".." included, in the order the file system gives them. Opening never follows a symbolic link
// in the last component, so a link is never listed as if it were the directory it points to.
#pragma once

#include <dirent.h>
#include <string>

#include "files/UniqueFd.h"

namespace orn {

class DirectoryListing {
 public:
  // Opens the directory path (no link as the last component).
  explicit DirectoryListing(const std::string& path);
  // Opens the directory name inside the open directory dirFd (no link).
  DirectoryListing(int dirFd, const std::string& name);
  // Lists the open directory fd (taken over).
  explicit DirectoryListing(UniqueFd fd);
  ~DirectoryListing();
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;

  bool IsOpen() const { return dir_ != nullptr; }
  // The descriptor of the listed directory, for the *at calls on its entries.
  int Fd() const;
  // The next name, or null at the end (or on a failure).
  const char* Next();
  // The type of the entry that Next gave last (DT_REG, DT_DIR, DT_LNK, ...; DT_UNKNOWN where the
  // file system does not say).
  unsigned char Type() const { return type_; }

 private:
  void Adopt(int fd);
  DIR* dir_ = nullptr;
  unsigned char type_ = DT_UNKNOWN;
};

// Opens a directory below dirFd for listing or for the *at calls, never through a link; -1 when
// name is missing, not a directory or a link.
int OpenDirectoryAt(int dirFd, const std::string& name);

}  // namespace orn
