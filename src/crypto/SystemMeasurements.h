// The system measurements the random pool mixes in, as byte images in the layouts of the Windows
// structures they stand for (numbers little-endian), filled from Linux sources.
#pragma once

#include <array>
#include <cstdint>

namespace orn::crypto {

// The processor type GetSystemInfo would report: 586 on every processor (the pool reads a
// time-stamp counter where there is one, a fine-grained clock elsewhere).
uint32_t SystemProcessorType();

// The low 32 bits of the processor's time-stamp counter (rdtsc) on x86; elsewhere the low 32 bits
// of CLOCK_MONOTONIC_RAW in nanoseconds.
uint32_t TimeStampCounter();
// The low 32 bits of CLOCK_MONOTONIC in nanoseconds (the performance counter).
uint32_t PerformanceCounter();

// SYSTEMTIME of GetSystemTime: year, month, day of week, day, hour, minute, second, millisecond
// (UTC), 16-bit each.
std::array<unsigned char, 16> SystemTimeImage();
// SYSTEM_INFO: architecture, reserved, page size, lowest and highest application address, active
// processor mask, number of processors, processor type, allocation granularity, level, revision.
std::array<unsigned char, 36> SystemInfoImage();
// MEMORYSTATUS: length (32), memory load in percent, physical, page file and virtual totals and
// free amounts, each the low 32 bits of a byte count.
std::array<unsigned char, 32> MemoryStatusImage();

}  // namespace orn::crypto
