// An encrypted archive (".eff") written in one pass from plain bytes as they come, for instance
// from the packer: the content MAC and the CBC encryption run on the bytes as they arrive, and the
// header's content MAC and plain length are written at the end. The bytes are exactly those that
// EncryptArchiveFile makes of the finished plain file under the same salt and source name.
#pragma once

#include <cstdint>
#include <string>

#include "crypto/ArchiveHeader.h"
#include "crypto/ArchiveSecrets.h"
#include "crypto/Cipher.h"
#include "crypto/FileStreams.h"
#include "crypto/Hmac.h"
#include "files/PackSink.h"

namespace orn::crypto {

class CArchiveEncryptor : public CPackSink {
 public:
  explicit CArchiveEncryptor(std::string targetPath) : target_(std::move(targetPath)) {}

  // Writes the header and the name block of sourcePath's file name; salt (16 bytes) null takes a
  // fresh one from the random pool. False on any failure (the target stays as it was).
  bool Open(const char* password, int cipherId, const std::string& sourcePath, const unsigned char* salt = nullptr);
  bool Write(const void* bytes, size_t length) override;
  // Fills the last cipher block with zero bytes, completes the header and replaces the target.
  bool Finish();

 private:
  ReplacementFile target_;
  HmacContext mac_;
  CipherContext cipher_;
  ArchiveHeader header_;
  uint64_t plainLength_ = 0;
  bool open_ = false;
};

}  // namespace orn::crypto
