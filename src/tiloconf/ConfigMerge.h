// Merging one configuration record into another (TILOCONF_varload_merge and _overwrite).
#pragma once

#include "tiloconf/tiloconf.h"

namespace orn::tiloconf {

// Moves the parts and entries of source into target, keeping (overwrite false) or replacing
// (overwrite true) the entries that target already has; docs/orn-cfg-format.md gives the rules.
// All the memory it needs is taken before target is touched: a std::bad_alloc leaves target as it
// was. Afterwards source holds what was not taken over and must still be released.
void MergeRecord(ConfigRecord& target, ConfigRecord& source, bool overwrite);

}  // namespace orn::tiloconf
