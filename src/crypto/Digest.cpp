// MD5_Transform is deprecated in OpenSSL 3 but still exported, and it is the only way to reach the
// compression function alone; its use is confined to this file.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "crypto/Digest.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/md5.h>

#include "crypto/CryptoLibrary.h"

namespace orn::crypto {

namespace {

template <const EVP_MD* (*Algorithm)()>
int LibcryptoDigestInit(DigestContext& c) {
  const EVP_MD* md = Algorithm();
  return md && c.evp && EVP_DigestInit_ex2(c.evp, md, nullptr);
}

int LibcryptoDigestUpdate(DigestContext& c, const void* bytes, size_t length) {
  return c.evp && EVP_DigestUpdate(c.evp, bytes, length);
}

int LibcryptoDigestFinal(unsigned char* digest, DigestContext& c) {
  return c.evp && EVP_DigestFinal_ex(c.evp, digest, nullptr);
}

constexpr DigestDescriptor kMd5{16,
                                64,
                                sizeof(DigestContext),
                                16,
                                &LibcryptoDigestInit<&LibraryMd5>,
                                &LibcryptoDigestUpdate,
                                &LibcryptoDigestFinal,
                                "MD5"};
constexpr DigestDescriptor kSha1{20,
                                 64,
                                 sizeof(DigestContext),
                                 20,
                                 &LibcryptoDigestInit<&LibrarySha1>,
                                 &LibcryptoDigestUpdate,
                                 &LibcryptoDigestFinal,
                                 "SHA1"};

}  // namespace

DigestContext::DigestContext() : evp(EVP_MD_CTX_new()) {}
DigestContext::~DigestContext() { EVP_MD_CTX_free(evp); }

const DigestDescriptor& Md5Descriptor() { return kMd5; }
const DigestDescriptor& Sha1Descriptor() { return kSha1; }

void Md5Compress(uint32_t state[4], const unsigned char block[64]) {
  MD5_CTX context;
  context.A = state[0];
  context.B = state[1];
  context.C = state[2];
  context.D = state[3];
  MD5_Transform(&context, block);
  state[0] = context.A;
  state[1] = context.B;
  state[2] = context.C;
  state[3] = context.D;
  OPENSSL_cleanse(&context, sizeof context);
}

}  // namespace orn::crypto
