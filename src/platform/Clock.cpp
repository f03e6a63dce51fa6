#include "platform/Clock.h"

#include <cerrno>
#include <ctime>

namespace orn::platform {

namespace {
timespec Monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}
}  // namespace

int64_t SteadySeconds() { return Monotonic().tv_sec; }

int64_t SteadyMillis() {
  timespec now = Monotonic();
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t CalendarSeconds() { return static_cast<int64_t>(time(nullptr)); }

void SleepMillis(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec rest{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace orn::platform
