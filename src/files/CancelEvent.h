// The cancel event of the tree operations: another part of the program (a button, a signal
// handler, another thread) sets it, and a running delete or copy stops after the entry it is
// working on. Callers that cannot cancel pass no event; a missing event never counts as set.
#pragma once

#include <atomic>

namespace orn {

class CancelEvent {
 public:
  void Set() { set_.store(true); }
  void Reset() { set_.store(false); }
  bool IsSet() const { return set_.load(); }

 private:
  std::atomic<bool> set_{false};
};

// True when an event is given and set.
inline bool IsSignalled(const CancelEvent* event) { return event && event->IsSet(); }

}  // namespace orn
