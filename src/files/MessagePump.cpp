#include "files/MessagePump.h"

namespace orn {

namespace {
MessagePumpHook installedHook = nullptr;
}

void SetMessagePumpHook(MessagePumpHook hook) { installedHook = hook; }

void PumpWaitingMessages() {
  if (installedHook) installedHook();
}

}  // namespace orn
