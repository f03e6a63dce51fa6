// CBC decryption on every core. Decryption does not chain: each block is deciphered with the
// cipher block before it, so the cipher text is cut into slices that workers read and decipher at
// once, each from the block before it, while the caller takes the finished slices in order (to
// check and write them). A bounded window of slices is in flight, so memory does not grow with
// the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace orn::crypto {

// The plain bytes of one slice, handed over in the order of the file; false stops the work.
using PlainSliceConsumer = std::function<bool(const unsigned char* plain, size_t length)>;

// Deciphers cipherLength bytes (whole blocks of cipherId's cipher) of the file fd, starting at
// offset, under key with iv, on threads workers, and hands the plain text to consume, which runs
// on the calling thread. False when the file ends early or cannot be read, the cipher fails, or
// consume returns false; nothing more is consumed after a failure.
bool DecipherInSlices(int fd, uint64_t offset, uint64_t cipherLength, int cipherId, const unsigned char* key,
                      const unsigned char* iv, unsigned threads, const PlainSliceConsumer& consume);

}  // namespace orn::crypto
