#include "files/EntryCompressor.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace orn {

namespace {

constexpr size_t kInputSize = 64 * 1024;
constexpr int kMemLevel = 8;              // zlib's and minizip's default
constexpr uint64_t kWindow = 32 * 1024;   // deflate's window: what a piece's dictionary holds
constexpr uint64_t kReadOn = UINT64_MAX;  // Deflate reads on from the file's position

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
    if (flush == Z_SYNC_FLUSH && stream_.avail_out != 0) return true;  // all flushed
  }
}

// Reads from offset (with read, from the fd's position, for kReadOn) until length bytes or the
// end, deflating them, and ends the stream or the piece with finish.
bool CEntryCompressor::Deflate(int fd, uint64_t offset, uint64_t length, bool toEnd, int finish, CCompressedData& out,
                               EntryDigest& digest) {
  digest = {};
  uLong crc = crc32(0, nullptr, 0);
  while (fd >= 0 && (toEnd || digest.size < length)) {
    const size_t want = toEnd ? kInputSize : static_cast<size_t>(std::min<uint64_t>(kInputSize, length - digest.size));
    const ssize_t n = offset == kReadOn ? read(fd, input_.get(), want)
                                        : pread(fd, input_.get(), want, static_cast<off_t>(offset + digest.size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a failed read ends the entry where it is
    crc = crc32(crc, input_.get(), static_cast<uInt>(n));
    digest.size += static_cast<uint64_t>(n);
    stream_.next_in = input_.get();
    stream_.avail_in = static_cast<uInt>(n);
    if (!Run(Z_NO_FLUSH, out)) return false;
  }
  stream_.avail_in = 0;
  if (!Run(finish, out)) return false;
  digest.crc = static_cast<uint32_t>(crc);
  digest.text = stream_.data_type == Z_TEXT;
  return true;
}

bool CEntryCompressor::Compress(int fd, CCompressedData& out, EntryDigest& digest) {
  return ready_ && deflateReset(&stream_) == Z_OK && Deflate(fd, kReadOn, 0, true, Z_FINISH, out, digest);
}

bool CEntryCompressor::CompressPiece(int fd, uint64_t offset, uint64_t length, bool toEnd, CCompressedData& out,
                                     EntryDigest& digest) {
  if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
  if (offset > 0) {
    const uint64_t start = offset > kWindow ? offset - kWindow : 0;
    const size_t want = static_cast<size_t>(offset - start);
    ssize_t n;
    while ((n = pread(fd, input_.get(), want, static_cast<off_t>(start))) < 0 && errno == EINTR) {
    }
    if (n > 0 && deflateSetDictionary(&stream_, input_.get(), static_cast<uInt>(n)) != Z_OK) return false;
  }
  return Deflate(fd, offset, length, toEnd, Z_SYNC_FLUSH, out, digest);
}

}  // namespace orn
