// Clocks.
#pragma once

#include <cstdint>

namespace orn::platform {

int64_t SteadySeconds();    // CLOCK_MONOTONIC
int64_t SteadyMillis();     // CLOCK_MONOTONIC
int64_t CalendarSeconds();  // seconds since the epoch
void SleepMillis(int milliseconds);

}  // namespace orn::platform
