#include "crypto/RandomPool.h"

#include <openssl/crypto.h>
#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "crypto/Digest.h"
#include "crypto/SystemMeasurements.h"

namespace orn::crypto {

namespace {

constexpr uint32_t kBlockSize = 16;
constexpr uint32_t kKernelBytes = 32;

RandomPool processPool;

bool KnownProcessorType(uint32_t type) {
  return type == 386 || type == 486 || type == 586 || type == 4000 || type == 21064;
}

void LoadWords(uint32_t words[4], const unsigned char* bytes) {
  for (int i = 0; i < 4; ++i)
    words[i] = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 | uint32_t{bytes[4 * i + 3]} << 24;
}

void StoreWords(unsigned char* bytes, const uint32_t words[4]) {
  for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(words[i / 4] >> (8 * (i % 4)));
}

void AddNumber(RandomPool& pool, uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  pool.Add(bytes, sizeof bytes);
}

void AddClockByte(RandomPool& pool) {
  const unsigned char low = static_cast<unsigned char>(clock());
  pool.Add(&low, 1);
}

bool KernelRandom(unsigned char* out, size_t length) {
  size_t done = 0;
  while (done < length) {
    const ssize_t got = getrandom(out + done, length - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

uint32_t RandomPool::TimerDelta() {
  // Processor type 586: the time-stamp counter XOR the performance counter turned by 16 bits.
  const uint32_t q = PerformanceCounter();
  const uint32_t sample = TimeStampCounter() ^ (q << 16 | q >> 16);
  const uint32_t delta = sample - lastTimerValue;
  lastTimerValue = sample;
  return delta;
}

void RandomPool::Add(const void* bytes, size_t length) {
  const auto* in = static_cast<const unsigned char*>(bytes);
  while (length > kPoolSize - addPosition) {
    const size_t room = kPoolSize - addPosition;
    for (size_t i = 0; i < room; ++i) pool[addPosition + i] ^= in[i];
    in += room;
    length -= room;
    Stir();
  }
  for (size_t i = 0; i < length; ++i) pool[addPosition + i] ^= in[i];
  addPosition += static_cast<uint32_t>(length);
  getPosition = kPoolSize;  // the next output stirs first
}

void RandomPool::Stir() {
  uint32_t v[4];
  LoadWords(v, pool + kPoolSize - kBlockSize);
  for (int round = 0; round < 2; ++round) {
    for (uint32_t block = 0; block < kPoolSize; block += kBlockSize) {
      Md5Compress(v, stirKey);
      uint32_t words[4];
      LoadWords(words, pool + block);
      for (int i = 0; i < 4; ++i) v[i] ^= words[i];
      StoreWords(pool + block, v);
    }
    memcpy(stirKey, pool, kStirKeySize);
  }
  OPENSSL_cleanse(v, sizeof v);
  addPosition = 0;
  getPosition = kStirKeySize;
}

int RandomPool::Init() {
  processorType = SystemProcessorType();
  if (!KnownProcessorType(processorType)) return -1;
  AddNumber(*this, TimerDelta());
  AddNumber(*this, static_cast<uint32_t>(time(nullptr)));
  const auto systemTime = SystemTimeImage();
  Add(systemTime.data(), systemTime.size());
  const auto systemInfo = SystemInfoImage();
  Add(systemInfo.data(), systemInfo.size());
  const auto memoryStatus = MemoryStatusImage();
  Add(memoryStatus.data(), memoryStatus.size());
  AddClockByte(*this);
  AddNumber(*this, TimerDelta());
  unsigned char kernel[kKernelBytes];
  const bool haveKernel = KernelRandom(kernel, sizeof kernel);
  if (haveKernel) Add(kernel, sizeof kernel);
  OPENSSL_cleanse(kernel, sizeof kernel);
  if (!haveKernel) return -1;
  if (getPosition == kPoolSize) Stir();
  ++getPosition;  // one output byte is skipped
  return 0;
}

void RandomPool::AddTimer() {
  AddNumber(*this, TimerDelta());
  AddClockByte(*this);
}

int RandomPool::GetBytes(unsigned char* out, int count) {
  for (int i = 0; i < count; ++i) {
    if (getPosition == kPoolSize) Stir();
    out[i] = pool[getPosition++];
  }
  return 0;
}

int RandomPoolInit() { return processPool.Init(); }
void RandomPoolAddTimer() { processPool.AddTimer(); }
int RandomPoolGetBytes(unsigned char* out, int count) { return processPool.GetBytes(out, count); }

}  // namespace orn::crypto
