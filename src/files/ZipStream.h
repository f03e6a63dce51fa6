// A zip archive written by minizip into a CPackSink, front to back, from entries deflated
// elsewhere (minizip's raw mode): minizip forms every header, the central directory and the end
// records, so the bytes are those of a normal minizip archive. minizip writes each local header
// with its CRC and sizes still zero and rewrites them after the data; since they are known
// beforehand, they are filled in at once, so the bytes can leave (be enciphered, written) before
// the entry is closed. minizip's own rewrite must then match what left, or the archive fails.
// Bytes leave in blocks of 256 KB: no system call per entry. For 65,535 entries or more minizip
// writes the count 0xFFFF without the zip64 end records that say the real one; the stream adds
// them (zip64 end of central directory record and locator) before the end record.
#pragma once

#include <cstdint>
#include <minizip/zip.h>
#include <string>
#include <vector>

#include "files/CompressedData.h"
#include "files/EntryCompressor.h"
#include "files/PackSink.h"

namespace orn {

class CZipStream {
 public:
  explicit CZipStream(CPackSink& sink) : sink_(sink) {}
  ~CZipStream();
  CZipStream(const CZipStream&) = delete;
  CZipStream& operator=(const CZipStream&) = delete;

  bool Open();
  // Writes one entry: info as minizip takes it, zip64 as for a source of 4 GB or more, the
  // deflated bytes of data one after another, closed by kFinalBlock when closeStream (pieces that
  // ended with a sync flush).
  bool WriteEntry(const std::string& name, zip_fileinfo info, bool zip64, const EntryDigest& digest,
                  const std::vector<const CCompressedData*>& data, bool closeStream);
  // Central directory and end records, then every byte left goes to the sink.
  bool Close();

  // minizip's file functions.
  unsigned long Put(const void* bytes, unsigned long length);
  long Seek(uint64_t offset, int origin);
  uint64_t Tell() const { return position_; }
  bool Flush();
  bool Failed() const { return failed_; }
  bool EndArchive();

 private:
  CPackSink& sink_;
  zipFile zip_ = nullptr;
  std::vector<unsigned char> buffer_;
  uint64_t bufferStart_ = 0;  // archive offset of buffer_[0]
  uint64_t position_ = 0;     // where minizip writes next
  bool holding_ = false;      // a local header is being formed: nothing leaves
  uint64_t promisedAt_ = 0;   // the last local header as it left
  std::vector<unsigned char> promised_;
  bool failed_ = false;
  bool closing_ = false;
  uint64_t entries_ = 0;
};

}  // namespace orn
