// Helpers of the file-layer tests: folders, times and what a tree holds.
#pragma once

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>

#include "files/ZipReader.h"
#include "support/TestSupport.h"

namespace orn::test {

inline void MakeDir(const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path; }

inline void SetTime(const std::string& path, time_t seconds) {
  const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

inline time_t MTime(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

// Every path below root, relative, sorted; folders end with "/", links are not followed.
inline std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    std::string relative = entry.path().lexically_relative(root).string();
    if (entry.is_directory() && !entry.is_symlink()) relative += "/";
    paths.insert(relative);
  }
  return paths;
}

// Relative path below root -> content, "<dir>" or "<link>"; links are not followed.
inline std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    files[entry.path().lexically_relative(root).string()] = entry.is_symlink()        ? "<link>"
                                                            : entry.is_regular_file() ? ReadFile(entry.path())
                                                                                      : "<dir>";
  return files;
}

// The names of an archive's entries.
inline std::set<std::string> EntryNames(const std::string& archive) {
  const auto names = CZipReader(archive).EntryNames();
  return {names.begin(), names.end()};
}

}  // namespace orn::test
