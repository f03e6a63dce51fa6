// The 72-byte header at the start of an encrypted archive (".eff") file. Numbers are unsigned
// 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orn::crypto {

inline constexpr size_t kArchiveHeaderSize = 72;
inline constexpr size_t kArchiveMacSize = 20;
inline constexpr size_t kArchiveSaltSize = 16;
// Both sides hold the name block in a buffer of this size, which bounds its length.
inline constexpr uint32_t kNameBlockBound = 260;

struct ArchiveHeader {
  unsigned char contentMac[kArchiveMacSize] = {};  // HMAC-SHA1 of the plain file
  uint32_t plainLength = 0;
  unsigned char salt[kArchiveSaltSize] = {};
  uint32_t cipherId = 0;
  uint32_t nameLength = 0;  // written, not read
  uint32_t nameBlockLength = 0;
  unsigned char nameMac[kArchiveMacSize] = {};  // HMAC-SHA1 of the source file name
};

void EncodeArchiveHeader(const ArchiveHeader& header, unsigned char out[kArchiveHeaderSize]);
ArchiveHeader DecodeArchiveHeader(const unsigned char in[kArchiveHeaderSize]);

// Reads the header of the file at path and the file's length; false when the file cannot be
// opened or is shorter than a header.
bool ReadArchiveHeader(const char* path, ArchiveHeader* header, uint64_t* fileLength);

}  // namespace orn::crypto
