#include "crypto/ArchiveHeader.h"

#include <cstring>

#include "crypto/FileStreams.h"

namespace orn::crypto {

namespace {

void PutNumber(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t GetNumber(const unsigned char* at) { return at[0] | at[1] << 8 | at[2] << 16 | uint32_t{at[3]} << 24; }

}  // namespace

void EncodeArchiveHeader(const ArchiveHeader& header, unsigned char out[kArchiveHeaderSize]) {
  memcpy(out, header.contentMac, kArchiveMacSize);
  PutNumber(out + 20, header.plainLength);
  memcpy(out + 24, header.salt, kArchiveSaltSize);
  PutNumber(out + 40, header.cipherId);
  PutNumber(out + 44, header.nameLength);
  PutNumber(out + 48, header.nameBlockLength);
  memcpy(out + 52, header.nameMac, kArchiveMacSize);
}

ArchiveHeader DecodeArchiveHeader(const unsigned char in[kArchiveHeaderSize]) {
  ArchiveHeader header;
  memcpy(header.contentMac, in, kArchiveMacSize);
  header.plainLength = GetNumber(in + 20);
  memcpy(header.salt, in + 24, kArchiveSaltSize);
  header.cipherId = GetNumber(in + 40);
  header.nameLength = GetNumber(in + 44);
  header.nameBlockLength = GetNumber(in + 48);
  memcpy(header.nameMac, in + 52, kArchiveMacSize);
  return header;
}

bool ReadArchiveHeader(const char* path, ArchiveHeader* header, uint64_t* fileLength) {
  InputFile file;
  unsigned char bytes[kArchiveHeaderSize];
  if (!path || !file.Open(path) || !file.Read(bytes, sizeof bytes)) return false;
  *header = DecodeArchiveHeader(bytes);
  *fileLength = file.Length();
  return true;
}

}  // namespace orn::crypto
