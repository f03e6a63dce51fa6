// HMAC (RFC 2104) over MD5 or SHA-1: incremental, one-shot, and the two fixed-size forms the
// encrypted archive format uses. Keys are the password's bytes without terminator.
#pragma once

#include <cstddef>

#include <openssl/types.h>

#include "crypto/Digest.h"

namespace orn::crypto {

// One running HMAC; allocates libcrypto's context once, when it is made. libcrypto keeps the
// key (hashed first when longer than the digest's 64-byte block) and wipes it on release.
struct HmacContext {
  HmacContext();
  ~HmacContext();
  HmacContext(const HmacContext&) = delete;
  HmacContext& operator=(const HmacContext&) = delete;

  const DigestDescriptor* descriptor = nullptr;
  EVP_MAC_CTX* mac = nullptr;
};

// With a descriptor: starts an HMAC with that digest and key. Without one: starts again with the
// context's digest and its last key (the key arguments are ignored). Returns 1, or 0 on failure.
int HmacInit(HmacContext& context, const void* key, size_t keyLength, const DigestDescriptor* descriptor);
int HmacUpdate(HmacContext& context, const void* bytes, size_t length);
// Writes the digest size of bytes and, when outLength is given, that size. Returns 1 or 0.
int HmacFinal(HmacContext& context, unsigned char* out, unsigned int* outLength);

// One-shot HMAC; returns out, or null on failure.
unsigned char* Hmac(const DigestDescriptor& descriptor, const void* key, size_t keyLength, const void* message,
                    size_t messageLength, unsigned char* out, unsigned int* outLength);

// HMAC-SHA1 of message under key into out. Fails with -1 when message, out or outLength is missing
// or *outLength is below 20 (nothing is written then); otherwise writes 20 bytes, sets *outLength
// to 20 and returns 0.
int HmacSha1Of(const unsigned char* message, size_t messageLength, const unsigned char* key, size_t keyLength,
               unsigned char* out, int* outLength);
// HMAC-MD5 likewise, into out of at least 16 bytes capacity; writes 16 bytes, returns 0 or -1.
int HmacMd5Of(const unsigned char* message, size_t messageLength, const unsigned char* key, size_t keyLength,
              unsigned char* out, size_t capacity);

}  // namespace orn::crypto
