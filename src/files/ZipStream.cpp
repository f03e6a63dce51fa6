#include "files/ZipStream.h"

#include <algorithm>
#include <cstring>

#include "files/EntryFileInfo.h"
#include "files/ZipEndRecords.h"

namespace orn {

namespace {

constexpr size_t kLeaveAt = 256 * 1024;
constexpr size_t kLocalHeaderSize = 30;
constexpr int kMemLevel = 8;
constexpr size_t kTailKept = 64;  // held back while closing, for the end record

CZipStream* Stream(voidpf stream) { return static_cast<CZipStream*>(stream); }

voidpf ZCALLBACK OpenStream(voidpf opaque, const void*, int) { return opaque; }
uLong ZCALLBACK ReadStream(voidpf, voidpf, void*, uLong) { return 0; }
uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* bytes, uLong length) {
  return Stream(stream)->Put(bytes, length);
}
ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) { return Stream(stream)->Tell(); }
long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return Stream(stream)->Seek(offset, origin);
}
int ZCALLBACK CloseStream(voidpf, voidpf stream) { return Stream(stream)->EndArchive() ? 0 : -1; }
int ZCALLBACK StreamError(voidpf, voidpf stream) { return Stream(stream)->Failed() ? 1 : 0; }

}  // namespace

CZipStream::~CZipStream() {
  failed_ = true;
  closing_ = false;  // an archive not closed is lost: nothing more leaves
  if (zip_) zipClose(zip_, nullptr);
}

bool CZipStream::Open() {
  zlib_filefunc64_def functions{OpenStream, ReadStream,  WriteStream, TellStream,
                                SeekStream, CloseStream, StreamError, this};
  buffer_.reserve(2 * kLeaveAt);
  zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
  return zip_ != nullptr;
}

unsigned long CZipStream::Put(const void* bytes, unsigned long length) {
  const auto* in = static_cast<const unsigned char*>(bytes);
  const uint64_t end = bufferStart_ + buffer_.size();
  if (position_ == end) {
    buffer_.insert(buffer_.end(), in, in + length);
    position_ += length;
    if (!holding_ && buffer_.size() >= kLeaveAt && !Flush()) return 0;
    return failed_ ? 0 : length;
  }
  // A rewrite of bytes already written: those still here change, those gone must not.
  if (position_ + length > end) {
    failed_ = true;
    return 0;
  }
  for (unsigned long i = 0; i < length; ++i) {
    const uint64_t at = position_ + i;
    if (at >= bufferStart_) {
      buffer_[at - bufferStart_] = in[i];
    } else if (at < promisedAt_ || at - promisedAt_ >= promised_.size() || promised_[at - promisedAt_] != in[i]) {
      failed_ = true;
      return 0;
    }
  }
  position_ += length;
  return length;
}

long CZipStream::Seek(uint64_t offset, int origin) {
  const uint64_t end = bufferStart_ + buffer_.size();
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) offset += position_;
  if (origin == ZLIB_FILEFUNC_SEEK_END) offset += end;
  if (offset > end) return -1;
  position_ = offset;
  return 0;
}

bool CZipStream::Flush() {
  if (failed_) return false;
  const size_t leave = closing_ ? buffer_.size() - std::min(buffer_.size(), kTailKept) : buffer_.size();
  if (leave > 0 && !sink_.Write(buffer_.data(), leave)) failed_ = true;
  bufferStart_ += leave;
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(leave));
  return !failed_;
}

bool CZipStream::EndArchive() {
  closing_ = false;
  const size_t size = buffer_.size();
  if (failed_ || size < kEndRecordSize) return false;
  const unsigned char* end = buffer_.data() + size - kEndRecordSize;
  if (NeedsZip64EndRecords(end, size - kEndRecordSize, entries_)) {
    unsigned char records[kZip64EndRecordsSize];
    FormZip64EndRecords(end, entries_, records);
    buffer_.insert(buffer_.end() - kEndRecordSize, records, records + sizeof records);
  }
  return Flush();
}

bool CZipStream::WriteEntry(const std::string& name, zip_fileinfo info, bool zip64, const EntryDigest& digest,
                            const std::vector<const CCompressedData*>& data, bool closeStream) {
  if (!zip_ || failed_) return false;
  ++entries_;
  const uint64_t header = position_;
  holding_ = true;
  info.internal_fa = digest.text ? 1 : 0;  // minizip stores zlib's data type of the deflated entry
  const bool opened =
      zipOpenNewFileInZip4_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS, kMemLevel, Z_DEFAULT_STRATEGY, nullptr, 0,
                              kVersionMadeByMsDos, EntryNameFlags(name), zip64 ? 1 : 0) == ZIP_OK;
  holding_ = false;
  if (!opened || header < bufferStart_ || position_ - header < kLocalHeaderSize + name.size()) return false;

  // The values minizip writes when the entry closes.
  unsigned char* local = buffer_.data() + (header - bufferStart_);
  uint64_t compressed = closeStream ? sizeof kFinalBlock : 0;
  for (const CCompressedData* piece : data) compressed += piece->Size();
  PutLittleEndian(local + 14, digest.crc, 4);
  if (compressed >= 0xFFFFFFFFu || digest.size >= 0xFFFFFFFFu) {
    if (!zip64) return false;
    unsigned char* extra = local + kLocalHeaderSize + name.size();
    PutLittleEndian(extra + 4, digest.size, 8);
    PutLittleEndian(extra + 12, compressed, 8);
  } else {
    PutLittleEndian(local + 18, compressed, 4);
    PutLittleEndian(local + 22, digest.size, 4);
  }
  promisedAt_ = header;
  promised_.assign(local, buffer_.data() + buffer_.size());

  const auto put = [this](const unsigned char* bytes, size_t length) {
    return zipWriteInFileInZip(zip_, bytes, static_cast<unsigned>(length)) == ZIP_OK;
  };
  bool written = true;
  for (const CCompressedData* piece : data) written = written && piece->ForEach(put);
  written = written && (!closeStream || put(kFinalBlock, sizeof kFinalBlock));
  const bool closed = zipCloseFileInZipRaw64(zip_, digest.size, digest.crc) == ZIP_OK;
  return written && closed && !failed_;
}

bool CZipStream::Close() {
  if (!zip_) return false;
  closing_ = true;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK;  // ends through EndArchive
  zip_ = nullptr;
  return closed && !failed_;
}

}  // namespace orn
