#include "files/EntryCompressor.h"

#include <cerrno>
#include <unistd.h>

namespace orn {

namespace {

constexpr size_t kInputSize = 64 * 1024;
constexpr int kMemLevel = 8;  // zlib's and minizip's default

}  // namespace

CEntryCompressor::CEntryCompressor() : input_(std::make_unique<unsigned char[]>(kInputSize)) {
  ready_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, kMemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
}

CEntryCompressor::~CEntryCompressor() {
  if (ready_) deflateEnd(&stream_);
}

bool CEntryCompressor::Run(int flush, CCompressedData& out) {
  for (;;) {
    unsigned char* at = nullptr;
    size_t room = 0;
    if (!out.Space(at, room)) return false;
    stream_.next_out = at;
    stream_.avail_out = static_cast<uInt>(room);
    const int result = deflate(&stream_, flush);
    out.Commit(room - stream_.avail_out);
    if (result == Z_STREAM_END) return true;
    if (result != Z_OK && result != Z_BUF_ERROR) return false;
    if (flush == Z_NO_FLUSH && stream_.avail_in == 0) return true;
  }
}

bool CEntryCompressor::Compress(int fd, CCompressedData& out, EntryDigest& digest) {
  if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
  digest = {};
  uLong crc = crc32(0, nullptr, 0);
  while (fd >= 0) {
    const ssize_t n = read(fd, input_.get(), kInputSize);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a failed read ends the entry where it is
    crc = crc32(crc, input_.get(), static_cast<uInt>(n));
    digest.size += static_cast<uint64_t>(n);
    stream_.next_in = input_.get();
    stream_.avail_in = static_cast<uInt>(n);
    if (!Run(Z_NO_FLUSH, out)) return false;
  }
  stream_.avail_in = 0;
  if (!Run(Z_FINISH, out)) return false;
  digest.crc = static_cast<uint32_t>(crc);
  digest.text = stream_.data_type == Z_TEXT;
  return true;
}

}  // namespace orn
