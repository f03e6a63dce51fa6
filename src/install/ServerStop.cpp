#include "install/ServerStop.h"

#include <cstdint>

#include "install/MessageError.h"
#include "oskasys/oskasys.h"

namespace orn {

namespace {

constexpr const char* kTimeoutText = "ORN! konnte nicht vor Ablauf des Timeouts beendet werden.";
constexpr uint32_t kPipeTimeoutMs = 3000;
constexpr long kDeadlineSeconds = 30;
constexpr int kPollMillis = 500;

// Pauses for the polling interval, or less when a holder lets go of the mutex meanwhile.
void RealPause(platform::MutexReleaseWatch& released, int millis) { released.Wait(millis); }
const StopServerClock kRealClock{&timeout_current_secs, &RealPause};
StopServerClock clock = kRealClock;

}  // namespace

void SetStopServerClock(const StopServerClock& replacement) { clock = replacement; }
void ResetStopServerClock() { clock = kRealClock; }

void StopServer() {
  // Set before the request, so that no release is missed: the pauses end when the server lets
  // go of its mutex instead of always lasting the polling interval.
  platform::MutexReleaseWatch released(kServerStartMutex);
  unsigned char buffer = kStopRequest;
  uint32_t received = 0;
  // A server that is not running makes no difference here.
  CallPipeServer(kServerPipe, &buffer, 1, &buffer, 1, &received, kPipeTimeoutMs);

  long now = clock.now();
  const long deadline = now + kDeadlineSeconds;
  for (;;) {
    HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
    if (!mutex) break;
    CloseHandle(mutex);
    released.Forget();  // the close just made
    if (now > deadline) throw MessageError(kTimeoutText);
    now = clock.now();
    clock.pause(released, kPollMillis);
  }
  if (now > deadline) throw MessageError(kTimeoutText);
}

}  // namespace orn
