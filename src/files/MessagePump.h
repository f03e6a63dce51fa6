// Long tree work lets the user interface breathe: the wizard installs a hook that dispatches its
// waiting events; without one, pumping does nothing.
#pragma once

namespace orn {

using MessagePumpHook = void (*)();

// Installs the hook (null removes it).
void SetMessagePumpHook(MessagePumpHook hook);

// Dispatches the user interface's waiting events through the hook, if one is installed.
void PumpWaitingMessages();

}  // namespace orn
