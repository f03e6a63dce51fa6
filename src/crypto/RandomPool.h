// The random source of the archive salts: a stirred entropy pool. System measurements are XORed
// into 112 bytes, which are stirred with MD5's compression function used as a block cipher; output
// comes from the upper 48 bytes of a freshly stirred pool. 32 bytes from the kernel (getrandom)
// are mixed in with the measurements, so that a salt is unpredictable even where they are not.
// Not thread-safe: the process has one pool, used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orn::crypto {

struct RandomPool {
  static constexpr uint32_t kPoolSize = 112;
  static constexpr uint32_t kStirKeySize = 64;

  unsigned char pool[kPoolSize] = {};  // seven blocks of 16 bytes
  unsigned char stirKey[kStirKeySize] = {};
  uint32_t addPosition = 0;
  uint32_t getPosition = kPoolSize;  // a stir comes before the first output
  uint32_t lastTimerValue = 0;
  uint32_t processorType = 0;

  // Records the processor type (-1 unless 386, 486, 586, 4000 or 21064) and adds the system
  // measurements and 32 bytes of getrandom (-1 when the kernel gives none); 0 on success.
  int Init();
  // Adds a fresh timer delta and the low byte of clock().
  void AddTimer();
  // Writes count bytes (nothing for a count below 1); returns 0.
  int GetBytes(unsigned char* out, int count);

  void Add(const void* bytes, size_t length);
  void Stir();
  uint32_t TimerDelta();
};

// The process's pool.
int RandomPoolInit();
void RandomPoolAddTimer();
int RandomPoolGetBytes(unsigned char* out, int count);

}  // namespace orn::crypto
