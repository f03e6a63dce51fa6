#include "crypto/ArchiveFile.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "crypto/ArchiveHeader.h"
#include "crypto/ChunkCipher.h"
#include "crypto/FileStreams.h"
#include "crypto/Hmac.h"
#include "crypto/RandomPool.h"

namespace orn::crypto {

namespace {

constexpr uint32_t kPiece = 1024;
constexpr size_t kTargetPathBound = 260;
// The derived-key buffer of both operations; zero beyond the 20 derived bytes, so that the 24-byte
// DES-EDE3 key ends in four zero bytes.
constexpr size_t kDerivedCapacity = 30;

uint64_t RoundUp(uint64_t length, uint64_t multiple) { return (length + multiple - 1) / multiple * multiple; }

// The key material of one operation, wiped when the operation ends.
struct Secrets {
  unsigned char derived[kDerivedCapacity] = {};
  unsigned char iv[16] = {};  // HMAC-MD5 of the name; the content IV is its first IV length bytes
  ~Secrets() { OPENSSL_cleanse(this, sizeof *this); }
};

struct Password {
  explicit Password(const char* text)
      : bytes(reinterpret_cast<const unsigned char*>(text)), length(strlen(text)) {}
  const unsigned char* bytes;
  size_t length;
};

// The part of the path behind its last separator; the whole path when it has none or ends in one.
std::string SourceFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return path;
  return path.substr(slash + 1);
}

// The name MAC and the content IV source of name under password.
bool NameSecrets(const Password& password, const unsigned char* name, size_t nameLength,
                 unsigned char nameMac[kArchiveMacSize], Secrets& secrets) {
  int macLength = kArchiveMacSize;
  return HmacSha1Of(name, nameLength, password.bytes, password.length, nameMac, &macLength) == 0 &&
         HmacMd5Of(name, nameLength, password.bytes, password.length, secrets.iv, sizeof secrets.iv) == 0;
}

}  // namespace

int DeriveCipherKey(int cipherId, const unsigned char* password, size_t passwordLength,
                    const unsigned char* salt, unsigned char* out, size_t capacity) {
  if (!password || passwordLength == 0 || !salt || !out) return -1;
  const int keyLength = CipherKeyLength(cipherId);
  if (keyLength < 0 || capacity < static_cast<size_t>(keyLength) || capacity < 20) return -1;
  int length = 20;
  return HmacSha1Of(salt, 15, password, passwordLength, out, &length);
}

std::string DecryptTargetPath(const char* sourcePath, const char* targetPath) {
  if (targetPath && strlen(targetPath) <= kTargetPathBound) return targetPath;
  return std::string(sourcePath) + ".dec";
}

int EncryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password, int cipherId) {
  if (!sourcePath || !targetPath || !password) return -1;
  const Password key(password);
  HmacContext contentMac;
  if (!HmacInit(contentMac, key.bytes, key.length, &Sha1Descriptor())) return -1;

  InputFile source;
  if (!source.Open(sourcePath) || source.Length() > UINT32_MAX) return -1;
  const std::string name = SourceFileName(sourcePath);
  ArchiveHeader header;
  header.plainLength = static_cast<uint32_t>(source.Length());
  header.cipherId = static_cast<uint32_t>(cipherId);
  header.nameLength = static_cast<uint32_t>(name.size());
  header.nameBlockLength = static_cast<uint32_t>(RoundUp(name.size(), 16));
  if (header.nameBlockLength > kNameBlockBound) return -1;

  if (RandomPoolInit() != 0) return -1;
  RandomPoolAddTimer();
  RandomPoolGetBytes(header.salt, kArchiveSaltSize);

  Secrets secrets;
  const auto* nameBytes = reinterpret_cast<const unsigned char*>(name.data());
  if (!NameSecrets(key, nameBytes, name.size(), header.nameMac, secrets) ||
      DeriveCipherKey(cipherId, key.bytes, key.length, header.salt, secrets.derived, sizeof secrets.derived) != 0)
    return -1;

  // The padded name: the name, then zero bytes; the transform reads 16 bytes beyond the block.
  CipherContext cipher;
  unsigned char padded[kNameBlockBound + 16] = {};
  memcpy(padded, name.data(), name.size());
  unsigned char nameBlock[kChunkCapacity];
  int nameBlockLength = 0;
  if (NameBlockEncode(cipher, padded, static_cast<int>(header.nameBlockLength), nameBlock, &nameBlockLength,
                      secrets.derived) != 0)
    return -1;

  ReplacementFile target(targetPath);
  unsigned char headerBytes[kArchiveHeaderSize];
  EncodeArchiveHeader(header, headerBytes);  // the content MAC still zero
  if (!target.Open() || !target.Write(headerBytes, sizeof headerBytes) ||
      !target.Write(nameBlock, static_cast<size_t>(nameBlockLength)))
    return -1;

  const int ivLength = CipherIvLength(cipherId);
  unsigned char iv[kMaxCipherIv];
  memcpy(iv, secrets.iv, static_cast<size_t>(ivLength));
  unsigned char plain[kChunkCapacity];
  unsigned char out[kChunkCapacity];
  for (uint32_t remaining = header.plainLength; remaining > 0;) {
    const uint32_t length = std::min(remaining, kPiece);
    if (!source.Read(plain, length)) return -1;
    memset(plain + length, 0, kMaxCipherBlock);  // the filler of the last piece
    int written = 0;
    if (!HmacUpdate(contentMac, plain, length) ||
        EncryptChunk(cipher, plain, static_cast<int>(length), out, &written, secrets.derived, cipherId, iv) != 0 ||
        !target.Write(out, static_cast<size_t>(written)))
      return -1;
    memcpy(iv, out + written - ivLength, static_cast<size_t>(ivLength));
    remaining -= length;
  }
  if (!HmacFinal(contentMac, header.contentMac, nullptr) ||
      !target.WriteAt(0, header.contentMac, kArchiveMacSize) || !target.Commit())
    return -1;
  return 0;
}

int DecryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password) {
  if (!sourcePath || !password) return -1;
  const Password key(password);
  HmacContext contentMac;
  if (!HmacInit(contentMac, key.bytes, key.length, &Sha1Descriptor())) return -1;

  InputFile source;
  unsigned char headerBytes[kArchiveHeaderSize];
  if (!source.Open(sourcePath) || source.Length() < 4 || !source.Read(headerBytes, sizeof headerBytes))
    return -1;
  const ArchiveHeader header = DecodeArchiveHeader(headerBytes);
  if (source.Length() < header.plainLength) return -1;
  const int cipherId = static_cast<int>(header.cipherId);
  Secrets secrets;
  if (DeriveCipherKey(cipherId, key.bytes, key.length, header.salt, secrets.derived, sizeof secrets.derived) != 0)
    return -1;

  // The name block, zero-filled up to a whole AES block for the transform.
  const uint32_t nameBlockLength = header.nameBlockLength;
  unsigned char nameBlock[kNameBlockBound + 16] = {};
  if (nameBlockLength == 0 || nameBlockLength > kNameBlockBound || !source.Read(nameBlock, nameBlockLength))
    return -1;
  CipherContext cipher;
  unsigned char name[kChunkCapacity];
  int decodedLength = 0;
  if (NameBlockDecode(cipher, nameBlock, static_cast<int>(nameBlockLength), name, &decodedLength,
                      secrets.derived) != 0)
    return -1;
  const size_t nameLength = strnlen(reinterpret_cast<const char*>(name), nameBlockLength);
  unsigned char nameMac[kArchiveMacSize];
  if (!NameSecrets(key, name, nameLength, nameMac, secrets) ||
      CRYPTO_memcmp(nameMac, header.nameMac, kArchiveMacSize) != 0)
    return -1;  // the wrong password ends here, before a target exists

  ReplacementFile target(DecryptTargetPath(sourcePath, targetPath));
  if (!target.Open()) return -1;
  const int block = CipherById(cipherId)->blockSize;
  const int ivLength = CipherIvLength(cipherId);
  unsigned char iv[kMaxCipherIv];
  memcpy(iv, secrets.iv, static_cast<size_t>(ivLength));
  // One IV length behind each piece is read by the cipher and held back unused.
  unsigned char in[kChunkCapacity] = {};
  unsigned char out[kChunkCapacity];
  for (uint32_t remaining = header.plainLength; remaining > 0;) {
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(RoundUp(remaining, block), kPiece));
    int written = 0;
    if (!source.Read(in, length) ||  // a file that ends early fails here
        DecryptChunk(cipher, in, static_cast<int>(length), secrets.derived, out, &written, cipherId, iv) != 0 ||
        written != static_cast<int>(length))
      return -1;
    const uint32_t keep = std::min(remaining, length);
    if (!target.Write(out, keep) || !HmacUpdate(contentMac, out, keep)) return -1;
    memcpy(iv, in + length - ivLength, static_cast<size_t>(ivLength));
    remaining -= keep;
  }
  unsigned char mac[kArchiveMacSize];
  if (!HmacFinal(contentMac, mac, nullptr) || CRYPTO_memcmp(mac, header.contentMac, kArchiveMacSize) != 0)
    return -1;  // the unchecked plain file is discarded
  return target.Commit() ? 0 : -1;
}

}  // namespace orn::crypto
