#include "files/EntryData.h"

#include "platform/AtomicFile.h"

namespace orn {

namespace {

constexpr uint32_t kMethodStored = 0;
constexpr uint32_t kMethodDeflated = 8;

bool CopyData(unzFile zip, const ZipEntryInfo& info, int fd) {
  if (info.compressionMethod != kMethodDeflated &&
      (info.compressionMethod != kMethodStored || info.compressedSize != info.uncompressedSize))
    return false;
  unsigned char buffer[kZipBufferSize];
  uint64_t written = 0;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return written == info.uncompressedSize;                           // short data fails here
    if (static_cast<uint64_t>(n) > info.uncompressedSize - written) return false;  // never past the declared size
    if (!platform::WriteFully(fd, buffer, static_cast<size_t>(n))) return false;
    written += static_cast<uint64_t>(n);
  }
}

}  // namespace

bool WriteEntryData(unzFile zip, const ZipEntryInfo& info, int fd) {
  const bool copied = CopyData(zip, info, fd);
  const bool crcMatches = unzCloseCurrentFile(zip) == UNZ_OK;  // checked once all data was read
  return copied && crcMatches;
}

}  // namespace orn
