// What both writers of encrypted archives (from a finished file, and in one pass from bytes as
// they are packed) work out before the first cipher byte: the header with its salt, name MAC and
// name block, the derived key and the content IV, wiped when they go.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include <openssl/crypto.h>

#include "crypto/ArchiveHeader.h"
#include "crypto/ChunkCipher.h"

namespace orn::crypto {

// The derived-key buffer of every operation; zero beyond the 20 derived bytes, so that the 24-byte
// DES-EDE3 key ends in four zero bytes.
inline constexpr size_t kDerivedCapacity = 30;

struct Secrets {
  unsigned char derived[kDerivedCapacity] = {};
  unsigned char iv[16] = {};  // HMAC-MD5 of the name; the content IV is its first IV length bytes
  ~Secrets() { OPENSSL_cleanse(this, sizeof *this); }
};

struct Password {
  explicit Password(const char* text) : bytes(reinterpret_cast<const unsigned char*>(text)), length(strlen(text)) {}
  const unsigned char* bytes;
  size_t length;
};

// The name and content secrets of an archive of the source file name (behind the path's last
// "/") under password and cipherId, with salt (16 bytes) or, when null, a fresh one from the
// random pool. Fills header (content MAC and plain length left as they are) and the name block.
bool PrepareArchive(const Password& password, int cipherId, const std::string& sourcePath, const unsigned char* salt,
                    ArchiveHeader& header, Secrets& secrets, unsigned char nameBlock[kChunkCapacity],
                    int& nameBlockLength);

// The name MAC and the content IV source of name under password.
bool NameSecrets(const Password& password, const unsigned char* name, size_t nameLength,
                 unsigned char nameMac[kArchiveMacSize], Secrets& secrets);

}  // namespace orn::crypto
