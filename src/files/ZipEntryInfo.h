// The header fields of one archive entry, as CZipReader::GetCurrentFileInfo gives them.
#pragma once

#include <cstdint>
#include <string>

namespace orn {

struct ZipEntryInfo {
  std::string name;  // every "/" replaced by a backslash
  std::string comment;
  uint32_t version = 0;  // version made by
  uint32_t versionNeeded = 0;
  uint32_t flag = 0;
  uint32_t compressionMethod = 0;
  uint32_t dosDateTime = 0;  // DOS date in the high 16 bits, time in the low 16 bits
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint32_t internalAttributes = 0;
  uint32_t externalAttributes = 0;  // the Windows attribute word of the source
  bool isDirectory = false;         // external attributes AND 0x10, or a name ending in a separator
};

}  // namespace orn
