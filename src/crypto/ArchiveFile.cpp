#include "crypto/ArchiveFile.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>

#include "crypto/ArchiveHeader.h"
#include "crypto/ArchiveSecrets.h"
#include "crypto/ChunkCipher.h"
#include "crypto/FileStreams.h"
#include "crypto/Hmac.h"
#include "crypto/SliceDecipher.h"

namespace orn::crypto {

namespace {

constexpr uint32_t kPiece = 1024;
constexpr size_t kTargetPathBound = 260;
constexpr unsigned kMaxDecryptThreads = 16;

uint64_t RoundUp(uint64_t length, uint64_t multiple) { return (length + multiple - 1) / multiple * multiple; }

}  // namespace

int DeriveCipherKey(int cipherId, const unsigned char* password, size_t passwordLength, const unsigned char* salt,
                    unsigned char* out, size_t capacity) {
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
  return EncryptArchiveFile(sourcePath, targetPath, password, cipherId, nullptr);
}

int EncryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password, int cipherId,
                       const unsigned char* salt) {
  if (!sourcePath || !targetPath || !password) return -1;
  const Password key(password);
  HmacContext contentMac;
  if (!HmacInit(contentMac, key.bytes, key.length, &Sha1Descriptor())) return -1;

  InputFile source;
  if (!source.Open(sourcePath) || source.Length() > UINT32_MAX) return -1;
  ArchiveHeader header;
  header.plainLength = static_cast<uint32_t>(source.Length());
  Secrets secrets;
  unsigned char nameBlock[kChunkCapacity];
  int nameBlockLength = 0;
  if (!PrepareArchive(key, cipherId, sourcePath, salt, header, secrets, nameBlock, nameBlockLength)) return -1;
  CipherContext cipher;

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
  if (!HmacFinal(contentMac, header.contentMac, nullptr) || !target.WriteAt(0, header.contentMac, kArchiveMacSize) ||
      !target.Commit())
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
  if (!source.Open(sourcePath) || source.Length() < 4 || !source.Read(headerBytes, sizeof headerBytes)) return -1;
  const ArchiveHeader header = DecodeArchiveHeader(headerBytes);
  if (source.Length() < header.plainLength) return -1;
  const int cipherId = static_cast<int>(header.cipherId);
  Secrets secrets;
  if (DeriveCipherKey(cipherId, key.bytes, key.length, header.salt, secrets.derived, sizeof secrets.derived) != 0)
    return -1;

  // The name block, zero-filled up to a whole AES block for the transform.
  const uint32_t nameBlockLength = header.nameBlockLength;
  unsigned char nameBlock[kNameBlockBound + 16] = {};
  if (nameBlockLength == 0 || nameBlockLength > kNameBlockBound || !source.Read(nameBlock, nameBlockLength)) return -1;
  CipherContext cipher;
  unsigned char name[kChunkCapacity];
  int decodedLength = 0;
  if (NameBlockDecode(cipher, nameBlock, static_cast<int>(nameBlockLength), name, &decodedLength, secrets.derived) != 0)
    return -1;
  const size_t nameLength = strnlen(reinterpret_cast<const char*>(name), nameBlockLength);
  unsigned char nameMac[kArchiveMacSize];
  if (!NameSecrets(key, name, nameLength, nameMac, secrets) ||
      CRYPTO_memcmp(nameMac, header.nameMac, kArchiveMacSize) != 0)
    return -1;  // the wrong password ends here, before a target exists

  ReplacementFile target(DecryptTargetPath(sourcePath, targetPath));
  if (!target.Open()) return -1;
  // The content MAC and the write take the slices in order while later ones are deciphered.
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxDecryptThreads);
  uint64_t remaining = header.plainLength;
  const auto checkAndWrite = [&](const unsigned char* plain, size_t length) {
    const auto keep = static_cast<size_t>(std::min<uint64_t>(remaining, length));  // without the filler
    remaining -= keep;
    return target.Write(plain, keep) && HmacUpdate(contentMac, plain, keep);
  };
  const uint64_t cipherLength = RoundUp(header.plainLength, CipherById(cipherId)->blockSize);
  if (!DecipherInSlices(source.Fd(), source.Position(), cipherLength, cipherId, secrets.derived, secrets.iv, threads,
                        checkAndWrite))
    return -1;  // a file that ends early fails here
  unsigned char mac[kArchiveMacSize];
  if (!HmacFinal(contentMac, mac, nullptr) || CRYPTO_memcmp(mac, header.contentMac, kArchiveMacSize) != 0)
    return -1;  // the unchecked plain file is discarded
  return target.Commit() ? 0 : -1;
}

}  // namespace orn::crypto
