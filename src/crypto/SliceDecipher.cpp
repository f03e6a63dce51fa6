#include "crypto/SliceDecipher.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "crypto/Cipher.h"

namespace orn::crypto {

namespace {

constexpr size_t kSlice = 256 * 1024;
constexpr unsigned kSlotsPerWorker = 2;  // a finished slice waits while the worker goes on
constexpr uint64_t kEmpty = UINT64_MAX;

// Reads exactly length bytes at offset; false when the file ends first or a read fails.
bool ReadAt(int fd, unsigned char* out, size_t length, uint64_t offset) {
  while (length > 0) {
    const ssize_t n = pread(fd, out, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n, length -= static_cast<size_t>(n), offset += static_cast<uint64_t>(n);
  }
  return true;
}

class SliceDecipher {
 public:
  SliceDecipher(int fd, uint64_t offset, uint64_t cipherLength, int cipherId, const unsigned char* key,
                const unsigned char* iv, unsigned workers)
      : fd_(fd),
        offset_(offset),
        length_(cipherLength),
        cipherId_(cipherId),
        key_(key),
        iv_(iv),
        ivLength_(CipherIvLength(cipherId)),
        slices_((cipherLength + kSlice - 1) / kSlice),
        slots_(std::max(1u, workers) * kSlotsPerWorker) {}

  bool Run(unsigned workers, const PlainSliceConsumer& consume) {
    if (ivLength_ <= 0 || !CipherById(cipherId_)) return false;
    std::vector<std::thread> threads;
    try {
      for (unsigned i = 0; i < std::max(1u, workers); ++i) threads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      if (threads.empty()) return false;  // no thread to be had: a failure like any other
    }
    const bool consumed = Consume(consume);
    {
      std::lock_guard lock(mutex_);
      if (!consumed) failed_ = true;  // the workers stop at their next slice
    }
    freed_.notify_all();
    for (std::thread& thread : threads) thread.join();
    return consumed;
  }

 private:
  struct Slot {
    std::vector<unsigned char> plain;
    size_t length = 0;
    uint64_t slice = kEmpty;  // the slice it holds, once deciphered
  };

  // Claims the next slice while a slot is free for it, deciphers it into that slot.
  void Work() {
    std::vector<unsigned char> in(kMaxCipherIv + kSlice + kMaxCipherBlock);
    for (;;) {
      uint64_t slice = 0;
      {
        std::unique_lock lock(mutex_);
        freed_.wait(lock, [&] { return failed_ || next_ >= slices_ || next_ < consumed_ + slots_.size(); });
        if (failed_ || next_ >= slices_) return;
        slice = next_++;
      }
      Slot& slot = slots_[slice % slots_.size()];
      const bool ok = Decipher(slice, in, slot);
      {
        std::lock_guard lock(mutex_);
        if (ok)
          slot.slice = slice;
        else
          failed_ = true;
      }
      ready_.notify_all();
    }
  }

  // The slice's cipher text behind the block before it (the IV for the first), then one zero
  // block that the decrypting update holds back unread.
  bool Decipher(uint64_t slice, std::vector<unsigned char>& in, Slot& slot) {
    const uint64_t from = slice * kSlice;
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kSlice, length_ - from));
    const auto ivLength = static_cast<size_t>(ivLength_);
    unsigned char* cipherText = in.data() + kMaxCipherIv;
    if (slice == 0) {
      memcpy(cipherText - ivLength, iv_, ivLength);
      if (!ReadAt(fd_, cipherText, length, offset_)) return false;
    } else if (!ReadAt(fd_, cipherText - ivLength, ivLength + length, offset_ + from - ivLength)) {
      return false;
    }
    memset(cipherText + length, 0, kMaxCipherBlock);
    slot.plain.resize(kSlice);
    const CipherDescriptor* cipher = CipherById(cipherId_);
    CipherContext context;
    int written = 0;
    slot.length = length;
    return CipherInit(context, cipher, key_, cipherText - ivLength, 0) &&
           CipherUpdate(context, slot.plain.data(), &written, cipherText,
                        static_cast<int>(length) + cipher->blockSize) &&
           written == static_cast<int>(length);
  }

  // Hands the slices over in order, each as soon as it is deciphered.
  bool Consume(const PlainSliceConsumer& consume) {
    for (uint64_t slice = 0; slice < slices_; ++slice) {
      Slot& slot = slots_[slice % slots_.size()];
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return failed_ || slot.slice == slice; });
        if (failed_) return false;
      }
      if (!consume(slot.plain.data(), slot.length)) return false;
      {
        std::lock_guard lock(mutex_);
        slot.slice = kEmpty;
        consumed_ = slice + 1;
      }
      freed_.notify_all();
    }
    return true;
  }

  const int fd_;
  const uint64_t offset_, length_;
  const int cipherId_;
  const unsigned char* const key_;
  const unsigned char* const iv_;
  const int ivLength_;
  const uint64_t slices_;
  std::vector<Slot> slots_;

  std::mutex mutex_;
  std::condition_variable ready_;  // a slice was deciphered, or the work failed
  std::condition_variable freed_;  // a slot was handed over, or the work ends
  uint64_t next_ = 0;              // the next slice to claim
  uint64_t consumed_ = 0;          // slices handed over
  bool failed_ = false;
};

}  // namespace

bool DecipherInSlices(int fd, uint64_t offset, uint64_t cipherLength, int cipherId, const unsigned char* key,
                      const unsigned char* iv, unsigned threads, const PlainSliceConsumer& consume) {
  return SliceDecipher(fd, offset, cipherLength, cipherId, key, iv, threads).Run(threads, consume);
}

}  // namespace orn::crypto
