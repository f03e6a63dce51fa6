#include "crypto/SystemMeasurements.h"

#include <sched.h>
#include <sys/sysinfo.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace orn::crypto {

namespace {

constexpr uint32_t kProcessorIntelPentium = 586;

template <size_t N>
class Image {
 public:
  Image& Word(uint16_t value) { return Put(value, 2); }
  Image& Dword(uint64_t value) { return Put(value, 4); }  // the low 32 bits
  std::array<unsigned char, N> bytes{};

 private:
  Image& Put(uint64_t value, size_t size) {
    for (size_t i = 0; i < size && at_ < N; ++i) bytes[at_++] = static_cast<unsigned char>(value >> (8 * i));
    return *this;
  }
  size_t at_ = 0;
};

uint64_t Nanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

}  // namespace

uint32_t SystemProcessorType() { return kProcessorIntelPentium; }

uint32_t TimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return static_cast<uint32_t>(__rdtsc());
#else
  return static_cast<uint32_t>(Nanoseconds(CLOCK_MONOTONIC_RAW));
#endif
}

uint32_t PerformanceCounter() { return static_cast<uint32_t>(Nanoseconds(CLOCK_MONOTONIC)); }

std::array<unsigned char, 16> SystemTimeImage() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  Image<16> image;
  image.Word(static_cast<uint16_t>(utc.tm_year + 1900)).Word(static_cast<uint16_t>(utc.tm_mon + 1));
  image.Word(static_cast<uint16_t>(utc.tm_wday)).Word(static_cast<uint16_t>(utc.tm_mday));
  image.Word(static_cast<uint16_t>(utc.tm_hour)).Word(static_cast<uint16_t>(utc.tm_min));
  image.Word(static_cast<uint16_t>(utc.tm_sec)).Word(static_cast<uint16_t>(now.tv_nsec / 1000000));
  return image.bytes;
}

std::array<unsigned char, 36> SystemInfoImage() {
  const long pageSize = sysconf(_SC_PAGESIZE);
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  uint32_t mask = 0;
  if (sched_getaffinity(0, sizeof cpus, &cpus) == 0)
    for (int i = 0; i < 32; ++i)
      if (CPU_ISSET(i, &cpus)) mask |= 1u << i;
  int local = 0;  // where the stack lies stands for the highest application address
  Image<36> image;
  image.Word(9).Word(0).Dword(static_cast<uint64_t>(pageSize)).Dword(0x10000);
  image.Dword(reinterpret_cast<uintptr_t>(&local)).Dword(mask);
  image.Dword(static_cast<uint64_t>(sysconf(_SC_NPROCESSORS_ONLN))).Dword(SystemProcessorType());
  image.Dword(static_cast<uint64_t>(pageSize)).Word(6).Word(0);
  return image.bytes;
}

std::array<unsigned char, 32> MemoryStatusImage() {
  struct sysinfo info {};
  sysinfo(&info);
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  const uint64_t total = info.totalram * unit, free = info.freeram * unit;
  Image<32> image;
  image.Dword(32).Dword(total ? 100 - free * 100 / total : 0).Dword(total).Dword(free);
  image.Dword(info.totalswap * unit).Dword(info.freeswap * unit);
  image.Dword(info.totalhigh * unit).Dword((info.freehigh + info.bufferram) * unit);
  return image.bytes;
}

}  // namespace orn::crypto
