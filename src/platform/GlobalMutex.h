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

// Wakes a waiter when a process lets go of the mutex name: a watch (inotify) for closes of its
// lock file, which every holder has open. Without a watch (no lock file yet, no inotify) a wait
// is a plain pause.
class MutexReleaseWatch {
 public:
  explicit MutexReleaseWatch(const std::string& name);
  ~MutexReleaseWatch();
  MutexReleaseWatch(const MutexReleaseWatch&) = delete;
  MutexReleaseWatch& operator=(const MutexReleaseWatch&) = delete;

  // Forgets the closes seen so far (the caller's own look at the mutex makes one).
  void Forget();
  // Pauses for millis, or less when a process closes the lock file meanwhile.
  void Wait(int millis);

 private:
  int fd_ = -1;
};

}  // namespace orn::platform
