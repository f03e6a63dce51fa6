#include "crypto/Cipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <climits>
#include <cstring>

#include "crypto/CryptoLibrary.h"

namespace orn::crypto {

namespace {

// The init operation of every row: the IV into the initial IV, and libcrypto's context set up for
// the row's cipher. libcrypto keeps the key schedule between calls; it is built anew only for a
// new key, a new cipher or a change of direction (AES decrypts with other round keys).
int LibcryptoInit(CipherContext& c, const unsigned char* key, const unsigned char* iv, int encrypt) {
  if (iv) memcpy(c.initialIv, iv, static_cast<size_t>(c.ivLength));
  const EVP_CIPHER* cipher = LibraryCipher(c.descriptor->cipherId);
  if (!cipher || !c.evp) return 0;
  const bool fresh = EVP_CIPHER_CTX_get0_cipher(c.evp) != cipher;
  bool rekey = fresh || encrypt != EVP_CIPHER_CTX_is_encrypting(c.evp);
  if (key && (!c.keyed || memcmp(c.key, key, static_cast<size_t>(c.keyLength)) != 0)) {
    memcpy(c.key, key, static_cast<size_t>(c.keyLength));
    c.keyed = true;
    rekey = true;
  }
  if (!EVP_CipherInit_ex2(c.evp, fresh ? cipher : nullptr, rekey && c.keyed ? c.key : nullptr, c.initialIv, encrypt,
                          nullptr))
    return 0;
  return !fresh || EVP_CIPHER_CTX_set_padding(c.evp, 0);
}

int LibcryptoDoCipher(CipherContext& c, unsigned char* out, const unsigned char* in, size_t length) {
  if (!c.keyed || length > INT_MAX) return 0;
  int written = 0;
  return EVP_CipherUpdate(c.evp, out, &written, in, static_cast<int>(length)) && written == static_cast<int>(length);
}

constexpr CipherDescriptor kDescriptors[] = {
    {8, 8, 8, 0, &LibcryptoInit, &LibcryptoDoCipher, nullptr, kCipherDesCbc},
    {8, 24, 8, 0, &LibcryptoInit, &LibcryptoDoCipher, nullptr, kCipherDesEde3Cbc},
    {16, 16, 16, 0, &LibcryptoInit, &LibcryptoDoCipher, nullptr, kCipherAes128Cbc},
};

void CopyBytes(unsigned char* to, const unsigned char* from, int count) {
  if (count > 0) memcpy(to, from, static_cast<size_t>(count));
}

int EncryptingUpdate(CipherContext& c, unsigned char* out, int* outLength, const unsigned char* in, int n) {
  const int block = c.blockSize;
  *outLength = 0;
  if (n == 0 && c.buffered < block) return 1;
  if (c.buffered > 0) {
    if (c.buffered + n < block) {
      CopyBytes(c.partial + c.buffered, in, n);
      c.buffered += n;
      return 1;
    }
    const int fill = block - c.buffered;
    CopyBytes(c.partial + c.buffered, in, fill);
    if (!c.descriptor->doCipher(c, out, c.partial, static_cast<size_t>(block))) return 0;
    c.buffered = 0;
    in += fill;
    n -= fill;
    out += block;
    *outLength = block;
  }
  const int rest = n % block;
  const int whole = n - rest;
  if (whole > 0) {
    if (!c.descriptor->doCipher(c, out, in, static_cast<size_t>(whole))) return 0;
    *outLength += whole;
  }
  CopyBytes(c.partial, in + whole, rest);
  c.buffered = rest;
  return 1;
}

int DecryptingUpdate(CipherContext& c, unsigned char* out, int* outLength, const unsigned char* in, int n) {
  const int block = c.blockSize;
  *outLength = 0;
  if (n == 0) return 1;
  unsigned char held[kMaxCipherBlock];
  bool holding = false;
  if (block > 1 && (c.buffered + n) % block == 0) {
    if (n < block) {
      CopyBytes(c.partial + c.buffered, in, n);  // the buffer is full now
      c.buffered += n;
      return 1;
    }
    n -= block;
    memcpy(held, in + n, static_cast<size_t>(block));  // before out, which may be in, is written
    holding = true;
  }
  if (!EncryptingUpdate(c, out, outLength, in, n)) return 0;
  if (holding) {
    memcpy(c.partial, held, static_cast<size_t>(block));
    c.buffered = block;
  }
  return 1;
}

}  // namespace

const CipherDescriptor* CipherById(int cipherId) {
  if (cipherId < 1 || cipherId > 3) return nullptr;
  return &kDescriptors[cipherId - 1];
}

int CipherKeyLength(int cipherId) {
  const CipherDescriptor* d = CipherById(cipherId);
  return d ? d->keyLength : -1;
}

int CipherIvLength(int cipherId) {
  const CipherDescriptor* d = CipherById(cipherId);
  return d ? d->ivLength : -1;
}

CipherContext::CipherContext() : evp(EVP_CIPHER_CTX_new()) {}

CipherContext::~CipherContext() {
  if (descriptor && descriptor->cleanup) descriptor->cleanup(*this);
  EVP_CIPHER_CTX_free(evp);  // wipes libcrypto's key schedule
  OPENSSL_cleanse(key, sizeof key);
  OPENSSL_cleanse(partial, sizeof partial);
}

int CipherInit(CipherContext& c, const CipherDescriptor* descriptor, const unsigned char* key, const unsigned char* iv,
               int direction) {
  if (direction != 0 && direction != -1) direction = 1;
  if (descriptor) {
    if (descriptor != c.descriptor) {
      OPENSSL_cleanse(c.key, sizeof c.key);  // a key of another cipher means nothing here
      c.keyed = false;
    }
    c.descriptor = descriptor;
    c.keyLength = descriptor->keyLength;
    c.ivLength = descriptor->ivLength;
    c.blockSize = descriptor->blockSize < 4 ? 4 : descriptor->blockSize;
  } else if (!c.descriptor) {
    return 0;
  }
  if (!c.descriptor->init(c, key, iv, direction == -1 ? c.encrypt : direction)) return 0;
  if (direction != -1) c.encrypt = direction;
  c.buffered = 0;
  return 1;
}

int CipherUpdate(CipherContext& c, unsigned char* out, int* outLength, const unsigned char* in, int inLength) {
  *outLength = 0;
  if (!c.descriptor || inLength < 0) return 0;
  return c.encrypt ? EncryptingUpdate(c, out, outLength, in, inLength)
                   : DecryptingUpdate(c, out, outLength, in, inLength);
}

}  // namespace orn::crypto
