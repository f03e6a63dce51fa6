#include "crypto/ArchiveSecrets.h"

#include "crypto/ArchiveFile.h"
#include "crypto/Hmac.h"
#include "crypto/RandomPool.h"

namespace orn::crypto {

namespace {

// The part of the path behind its last separator; the whole path when it has none or ends in one.
std::string SourceFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return path;
  return path.substr(slash + 1);
}

}  // namespace

bool NameSecrets(const Password& password, const unsigned char* name, size_t nameLength,
                 unsigned char nameMac[kArchiveMacSize], Secrets& secrets) {
  int macLength = kArchiveMacSize;
  return HmacSha1Of(name, nameLength, password.bytes, password.length, nameMac, &macLength) == 0 &&
         HmacMd5Of(name, nameLength, password.bytes, password.length, secrets.iv, sizeof secrets.iv) == 0;
}

bool PrepareArchive(const Password& password, int cipherId, const std::string& sourcePath, const unsigned char* salt,
                    ArchiveHeader& header, Secrets& secrets, unsigned char nameBlock[kChunkCapacity],
                    int& nameBlockLength) {
  const std::string name = SourceFileName(sourcePath);
  header.cipherId = static_cast<uint32_t>(cipherId);
  header.nameLength = static_cast<uint32_t>(name.size());
  header.nameBlockLength = static_cast<uint32_t>((name.size() + 15) / 16 * 16);
  if (header.nameBlockLength > kNameBlockBound) return false;

  if (salt) {
    memcpy(header.salt, salt, kArchiveSaltSize);
  } else {
    if (RandomPoolInit() != 0) return false;
    RandomPoolAddTimer();
    RandomPoolGetBytes(header.salt, kArchiveSaltSize);
  }

  const auto* nameBytes = reinterpret_cast<const unsigned char*>(name.data());
  if (!NameSecrets(password, nameBytes, name.size(), header.nameMac, secrets) ||
      DeriveCipherKey(cipherId, password.bytes, password.length, header.salt, secrets.derived,
                      sizeof secrets.derived) != 0)
    return false;

  // The padded name: the name, then zero bytes; the transform reads 16 bytes beyond the block.
  unsigned char padded[kNameBlockBound + 16] = {};
  memcpy(padded, name.data(), name.size());
  return NameBlockEncode(padded, static_cast<int>(header.nameBlockLength), nameBlock, &nameBlockLength,
                         secrets.derived) == 0;
}

}  // namespace orn::crypto
