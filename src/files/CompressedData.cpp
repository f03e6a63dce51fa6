#include "files/CompressedData.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace orn {

namespace {

bool WriteAll(int fd, const unsigned char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

// An unnamed file in folder, removed when its descriptor closes.
int AnonymousFile(const std::string& folder) {
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string name = folder + "/orn-spill-XXXXXX";
  const int named = mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) unlink(name.c_str());
  return named;
}

}  // namespace

std::unique_ptr<unsigned char[]> CBlockPool::Take() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_.empty()) {
      auto block = std::move(free_.back());
      free_.pop_back();
      return block;
    }
  }
  return std::make_unique<unsigned char[]>(kDataBlockSize);
}

void CBlockPool::Give(std::unique_ptr<unsigned char[]> block) {
  std::lock_guard<std::mutex> lock(mutex_);
  free_.push_back(std::move(block));
}

CCompressedData::CCompressedData(CBlockPool& pool, size_t memoryBound, const std::string& spillDirectory)
    : pool_(pool), maxBlocks_(std::max<size_t>(1, memoryBound / kDataBlockSize)), spillDirectory_(spillDirectory) {}

bool CCompressedData::Space(unsigned char*& at, size_t& length) {
  if (blocks_.empty() || lastFill_ == kDataBlockSize) {
    if (blocks_.size() == maxBlocks_) {  // memory is full: the last block goes to the file
      if (!Spill(blocks_.back().get(), lastFill_)) return false;
    } else {
      blocks_.push_back(pool_.Take());
    }
    lastFill_ = 0;
  }
  at = blocks_.back().get() + lastFill_;
  length = kDataBlockSize - lastFill_;
  return true;
}

bool CCompressedData::Commit(size_t length) {
  lastFill_ += length;
  size_ += length;
  return true;
}

bool CCompressedData::Spill(const unsigned char* bytes, size_t length) {
  if (!spill_.IsValid()) {
    spill_.Reset(AnonymousFile(spillDirectory_));
    if (!spill_.IsValid()) return false;
  }
  if (!WriteAll(spill_.Get(), bytes, length)) return false;
  spilled_ += length;
  return true;
}

bool CCompressedData::ForEach(const std::function<bool(const unsigned char*, size_t)>& emit) const {
  // In memory: every block but the last is whole; once spilling began, the last block is the
  // one being refilled and its bytes follow the file's.
  const size_t memoryBlocks = spill_.IsValid() ? blocks_.size() - 1 : blocks_.size();
  for (size_t i = 0; i < memoryBlocks; ++i) {
    const size_t fill = i + 1 == blocks_.size() ? lastFill_ : kDataBlockSize;
    if (fill > 0 && !emit(blocks_[i].get(), fill)) return false;
  }
  if (!spill_.IsValid()) return true;
  std::unique_ptr<unsigned char[]> buffer = pool_.Take();
  bool ok = true;
  for (uint64_t offset = 0; ok && offset < spilled_;) {
    const ssize_t n = pread(spill_.Get(), buffer.get(), kDataBlockSize, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0 && emit(buffer.get(), static_cast<size_t>(n));
    offset += n > 0 ? static_cast<uint64_t>(n) : 0;
  }
  pool_.Give(std::move(buffer));
  return ok && (lastFill_ == 0 || emit(blocks_.back().get(), lastFill_));
}

void CCompressedData::Clear() {
  for (auto& block : blocks_) pool_.Give(std::move(block));
  blocks_.clear();
  lastFill_ = 0;
  spill_.Reset();
  spilled_ = 0;
  size_ = 0;
}

}  // namespace orn
