// Block ciphers in CBC mode chosen by a small integer, over libcrypto. The context has an init and
// an update operation and no final one: there is no padding, callers pass whole blocks.
#pragma once

#include <cstddef>

#include <openssl/types.h>

namespace orn::crypto {

// Values of CipherId.
inline constexpr int kCipherDesCbc = 1;
inline constexpr int kCipherDesEde3Cbc = 2;
inline constexpr int kCipherAes128Cbc = 3;

inline constexpr int kMaxCipherBlock = 16;
inline constexpr int kMaxCipherKey = 24;
inline constexpr int kMaxCipherIv = 16;

struct CipherContext;

struct CipherDescriptor {
  int blockSize;
  int keyLength;
  int ivLength;
  unsigned long flags;  // 0 in every row
  int (*init)(CipherContext& context, const unsigned char* key, const unsigned char* iv, int encrypt);
  int (*doCipher)(CipherContext& context, unsigned char* out, const unsigned char* in, size_t length);
  void (*cleanup)(CipherContext& context);  // absent in every row
  int cipherId;                             // which of libcrypto's ciphers the row stands for
};

// The row of a cipher id; null for any id but 1 to 3.
const CipherDescriptor* CipherById(int cipherId);
int CipherKeyLength(int cipherId);  // -1 for an unknown id
int CipherIvLength(int cipherId);   // -1 for an unknown id

// One cipher context, used on the stack of its caller. It allocates libcrypto's context once, when
// it is made; re-initialising it (for every piece of a file) allocates nothing. The key bytes and
// libcrypto's key schedule are wiped when the context goes.
struct CipherContext {
  CipherContext();
  ~CipherContext();
  CipherContext(const CipherContext&) = delete;
  CipherContext& operator=(const CipherContext&) = delete;

  const CipherDescriptor* descriptor = nullptr;
  int encrypt = 1;   // direction: 1 encrypt, 0 decrypt
  int buffered = 0;  // bytes waiting in partial
  unsigned char initialIv[kMaxCipherIv] = {};
  unsigned char partial[kMaxCipherBlock] = {};
  int keyLength = 0;
  int ivLength = 0;
  int blockSize = 0;
  // The cipher's own key state: the key as given, and libcrypto's context holding the schedule and
  // the running IV.
  unsigned char key[kMaxCipherKey] = {};
  bool keyed = false;
  EVP_CIPHER_CTX* evp = nullptr;
};

// direction: 1 (or any value but 0 and -1) encrypt, 0 decrypt, -1 keep the context's direction.
// Without a descriptor the context's own is used (0 when it has none); without a key the context
// keeps its key; without an IV the last given one is used again. Returns 1, or 0 on failure,
// among them a cipher libcrypto cannot supply.
int CipherInit(CipherContext& context, const CipherDescriptor* descriptor, const unsigned char* key,
               const unsigned char* iv, int direction);

// Enciphers or deciphers (by the context's direction) the whole blocks of what was buffered and
// in; *outLength receives the bytes written. A decrypting update holds the last whole block back,
// so a decrypting caller passes one block more than it needs deciphered. Returns 1, or 0 when the
// cipher fails (no key, or libcrypto refuses).
int CipherUpdate(CipherContext& context, unsigned char* out, int* outLength, const unsigned char* in, int inLength);

}  // namespace orn::crypto
