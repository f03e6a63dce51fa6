// One run of the program at a time: the wizard holds the mutex "OrnCfg" from its start, orncfg-cli
// for each verb that uses the working folders below TEMP or writes the installation.
#pragma once

namespace orn {

inline constexpr const char* kRunMutexName = "OrnCfg";
inline constexpr const char* kAnotherRunActive = "Ein anderer Lauf von orncfg ist bereits aktiv.";

// Opens "OrnCfg" through the system-support library and keeps it while it lives, as long as no
// other process held it. When the mutex cannot be made at all (no runtime folder), the run goes on
// without the guard, as the wizard does.
class RunMutex {
 public:
  // Tries at once, then every 100 ms until waitSeconds have passed.
  explicit RunMutex(int waitSeconds);
  ~RunMutex();
  RunMutex(const RunMutex&) = delete;
  RunMutex& operator=(const RunMutex&) = delete;

  // False when another run held the mutex for the whole wait.
  bool Acquired() const { return acquired_; }

 private:
  void* handle_ = nullptr;
  bool acquired_ = false;
};

}  // namespace orn
