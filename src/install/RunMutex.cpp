#include "install/RunMutex.h"

#include "oskasys/oskasys.h"
#include "platform/Clock.h"

namespace orn {

namespace {
constexpr int kPollMillis = 100;
}

RunMutex::RunMutex(int waitSeconds) {
  const int64_t deadline = platform::SteadyMillis() + int64_t{waitSeconds} * 1000;
  for (;;) {
    handle_ = CreateMutexGlobal(nullptr, 0, kRunMutexName);
    if (!handle_ || GetLastError() != ERROR_ALREADY_EXISTS) {
      acquired_ = true;
      return;
    }
    // Another run holds it: let go at once, so that the holder's end is not delayed by us.
    CloseHandle(handle_);
    handle_ = nullptr;
    if (platform::SteadyMillis() >= deadline) return;
    platform::SleepMillis(kPollMillis);
  }
}

RunMutex::~RunMutex() {
  if (handle_) CloseHandle(handle_);
}

}  // namespace orn
