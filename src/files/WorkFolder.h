// A working folder of the program's own below TEMP. It may hold the configuration in clear, so it
// is removed whole (names beginning with "." included, unlike DeleteDirectoryTree) before it is
// made and when the object goes, on every way out of the action that uses it.
#pragma once

#include <string>

namespace orn {

inline constexpr const char* kNoTempFiles = "Es konnten keine temporären Dateien erzeugt werden.";

class WorkFolder {
 public:
  WorkFolder() = default;
  ~WorkFolder() { Remove(); }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Removes a leftover "<TEMP>/<name>" and makes it anew (mode 0700). False, with *reason set to
  // the system's reason (empty when TEMP is unset), when it cannot be made.
  bool Create(const std::string& name, std::string* reason);
  // Makes a folder of a fresh name "<TEMP>/<prefix>XXXXXX".
  bool CreateUnique(const std::string& prefix, std::string* reason);
  const std::string& Path() const { return path_; }
  void Remove();

 private:
  std::string path_;
};

}  // namespace orn
