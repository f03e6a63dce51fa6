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

// An empty final block (fixed codes): closes a deflate stream whose last piece ended with a sync
// flush, as deflate itself ends such a stream.
inline constexpr unsigned char kFinalBlock[2] = {0x03, 0x00};

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
  // Deflates one piece of a large file: length bytes of fd from offset (to the file's end when
  // toEnd), with the 32 KB before offset as the dictionary, and ends it with a sync flush, so that
  // the pieces of a file, one after another and closed by kFinalBlock, are one deflate stream.
  // digest.size less than length: the file ended (or failed) inside the piece.
  bool CompressPiece(int fd, uint64_t offset, uint64_t length, bool toEnd, CCompressedData& out, EntryDigest& digest);

 private:
  bool Run(int flush, CCompressedData& out);
  bool Deflate(int fd, uint64_t offset, uint64_t length, bool toEnd, int finish, CCompressedData& out,
               EntryDigest& digest);

  z_stream stream_{};
  bool ready_ = false;
  std::unique_ptr<unsigned char[]> input_;
};

}  // namespace orn
