// One deflate state, made once and reset between entries: a file read to its end (or to its first
// failed read, which ends the entry where it is) becomes one raw deflate stream at the default
// level, with its CRC-32, its length and zlib's guess whether it is text.
#pragma once

#include <cstdint>
#include <memory>
#include <zlib.h>

#include "files/CompressedData.h"

namespace orn {

struct EntryDigest {
  uint32_t crc = 0;
  uint64_t size = 0;  // bytes read
  bool text = false;  // zlib's data type is text (the entry's internal attribute 1)
};

class CEntryCompressor {
 public:
  CEntryCompressor();
  ~CEntryCompressor();
  CEntryCompressor(const CEntryCompressor&) = delete;
  CEntryCompressor& operator=(const CEntryCompressor&) = delete;

  bool IsReady() const { return ready_; }
  // Deflates what fd gives (nothing for fd < 0: a folder entry) into out. False when deflate or
  // out fails; a failed read is not a failure.
  bool Compress(int fd, CCompressedData& out, EntryDigest& digest);

 private:
  bool Run(int flush, CCompressedData& out);

  z_stream stream_{};
  bool ready_ = false;
  std::unique_ptr<unsigned char[]> input_;
};

}  // namespace orn
