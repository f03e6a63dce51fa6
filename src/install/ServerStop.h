// Stopping the running server: a stop request on its pipe, then waiting until its start mutex
// is gone.
#pragma once

#include "platform/GlobalMutex.h"

namespace orn {

inline constexpr const char* kServerPipe = "\\\\.\\pipe\\oska_orn_service";
inline constexpr const char* kServerStartMutex = "OSKAORNStartMutexSERVICE";
inline constexpr unsigned char kStopRequest = 0x40;

// Created on the stack around a stop.
class ServiceController {
 public:
  virtual ~ServiceController() = default;
};

// Returns when the server has gone; throws MessageError
// "ORN! konnte nicht vor Ablauf des Timeouts beendet werden." when its mutex is still there 30
// seconds after the request.
void StopServer();

// The clock and the pause StopServer uses; tests replace them so that no test waits 30 seconds.
struct StopServerClock {
  long (*now)();                                                     // seconds of a steadily rising clock
  void (*pause)(platform::MutexReleaseWatch& released, int millis);  // may end early on a release
};
void SetStopServerClock(const StopServerClock& clock);
void ResetStopServerClock();

}  // namespace orn
