#include "crypto/ArchiveEncryptor.h"

#include <algorithm>

namespace orn::crypto {

namespace {

constexpr size_t kStep = 64 * 1024;

}  // namespace

bool CArchiveEncryptor::Open(const char* password, int cipherId, const std::string& sourcePath,
                             const unsigned char* salt) {
  if (!password || open_) return false;
  const Password key(password);
  Secrets secrets;
  unsigned char nameBlock[kChunkCapacity];
  int nameBlockLength = 0;
  if (!HmacInit(mac_, key.bytes, key.length, &Sha1Descriptor()) ||
      !PrepareArchive(key, cipherId, sourcePath, salt, header_, secrets, nameBlock, nameBlockLength) ||
      !CipherInit(cipher_, CipherById(cipherId), secrets.derived, secrets.iv, 1))
    return false;
  unsigned char headerBytes[kArchiveHeaderSize];
  EncodeArchiveHeader(header_, headerBytes);  // the content MAC and the plain length still zero
  open_ = target_.Open() && target_.Write(headerBytes, sizeof headerBytes) &&
          target_.Write(nameBlock, static_cast<size_t>(nameBlockLength));
  return open_;
}

bool CArchiveEncryptor::Write(const void* bytes, size_t length) {
  if (!open_) return false;
  const auto* in = static_cast<const unsigned char*>(bytes);
  unsigned char out[kStep + kMaxCipherBlock];
  plainLength_ += length;
  if (plainLength_ > UINT32_MAX || !HmacUpdate(mac_, in, length)) return open_ = false;
  while (length > 0) {
    const size_t step = std::min(length, kStep);
    int written = 0;
    if (!CipherUpdate(cipher_, out, &written, in, static_cast<int>(step)) ||
        !target_.Write(out, static_cast<size_t>(written)))
      return open_ = false;
    in += step;
    length -= step;
  }
  return true;
}

bool CArchiveEncryptor::Finish() {
  if (!open_) return false;
  open_ = false;
  unsigned char out[2 * kMaxCipherBlock];
  int written = 0;
  if (cipher_.buffered > 0) {  // the filler of the last block
    const unsigned char zeros[kMaxCipherBlock] = {};
    if (!CipherUpdate(cipher_, out, &written, zeros, cipher_.blockSize - cipher_.buffered) ||
        !target_.Write(out, static_cast<size_t>(written)))
      return false;
  }
  header_.plainLength = static_cast<uint32_t>(plainLength_);
  unsigned char headerBytes[kArchiveHeaderSize];
  if (!HmacFinal(mac_, header_.contentMac, nullptr)) return false;
  EncodeArchiveHeader(header_, headerBytes);
  return target_.WriteAt(0, headerBytes, sizeof headerBytes) && target_.Commit();
}

}  // namespace orn::crypto
