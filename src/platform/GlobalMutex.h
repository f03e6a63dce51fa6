// Machine-wide named mutexes: a lock file <runtime>/mutex/<name> held with flock (shared) by every
// process that has the mutex open. The mutex exists while any process holds a lock on it and is
// gone with the last holder, also when that holder is killed.
#pragma once

#include <memory>
#include <string>

namespace orn::platform {

class GlobalMutex {
 public:
  ~GlobalMutex();
  GlobalMutex(const GlobalMutex&) = delete;
  GlobalMutex& operator=(const GlobalMutex&) = delete;

  // Opens the mutex, creating it when no process holds it. *existed (when not null) tells whether
  // another process held it already. Null when the lock file cannot be made.
  static std::unique_ptr<GlobalMutex> Create(const std::string& name, bool* existed);
  // Opens the mutex only while another process holds it; null otherwise.
  static std::unique_ptr<GlobalMutex> OpenExisting(const std::string& name);

 private:
  explicit GlobalMutex(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace orn::platform
