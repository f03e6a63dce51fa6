// The actions the wizard offers, in the order of the action list.
#pragma once

#include <array>

namespace orn::wizard {

struct ActionEntry {
  const char* key;          // internal name, not shown
  const char* title;        // the list entry
  const char* description;  // shown below the list
  int firstPage;            // sheet index of the action's first page
};

inline constexpr int kActionCount = 7;
// Rows listed when the directory-service module loads, and when it does not.
inline constexpr int kActionsWithDirectory = 5;
inline constexpr int kActionsWithoutDirectory = 3;

extern const std::array<ActionEntry, kActionCount> kActionTable;

}  // namespace orn::wizard
