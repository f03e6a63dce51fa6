// The two digests, MD5 and SHA-1, as table rows over libcrypto, and MD5's block compression
// function, which the random pool uses to stir.
#pragma once

#include <cstddef>
#include <cstdint>

#include <openssl/types.h>

namespace orn::crypto {

// One running digest; allocates libcrypto's context once, when it is made.
struct DigestContext {
  DigestContext();
  ~DigestContext();
  DigestContext(const DigestContext&) = delete;
  DigestContext& operator=(const DigestContext&) = delete;

  EVP_MD_CTX* evp = nullptr;
};

struct DigestDescriptor {
  int digestSize;
  int blockSize;
  int contextSize;
  int outputSize;  // equal to digestSize
  int (*init)(DigestContext& context);
  int (*update)(DigestContext& context, const void* bytes, size_t length);
  int (*final)(unsigned char* digest, DigestContext& context);  // digestSize bytes
  const char* name;                                             // libcrypto's name
};

const DigestDescriptor& Md5Descriptor();   // digest 16, block 64
const DigestDescriptor& Sha1Descriptor();  // digest 20, block 64

// MD5's compression function: state (four words) = compress(state, one 64-byte block), including
// the final addition of the input state.
void Md5Compress(uint32_t state[4], const unsigned char block[64]);

}  // namespace orn::crypto
