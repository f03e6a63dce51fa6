// Counts of what a configuration holds, for reports.
#pragma once

#include <cstddef>

#include "tiloconf/tiloconf.h"

namespace orn {

struct ConfigSummary {
  size_t users = 0;
  size_t addresses = 0;
  size_t providers = 0;
  size_t mailAccounts = 0;
  size_t sections = 0;
};

ConfigSummary Summarize(const ConfigRecord* record);

}  // namespace orn
