// The deflated bytes of one archive entry between the worker that made them and the writer that
// puts them into the archive: in memory blocks up to a bound, beyond it in an unnamed temporary
// file, so that a large file is never held in memory whole. Blocks come from a shared pool and go
// back to it, so that packing many small files allocates nothing per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "files/UniqueFd.h"

namespace orn {

inline constexpr size_t kDataBlockSize = 64 * 1024;

class CBlockPool {
 public:
  std::unique_ptr<unsigned char[]> Take();
  void Give(std::unique_ptr<unsigned char[]> block);

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<unsigned char[]>> free_;
};

class CCompressedData {
 public:
  // Blocks from pool; at most memoryBound bytes in memory, the rest in a temporary file created
  // in spillDirectory.
  CCompressedData(CBlockPool& pool, size_t memoryBound, const std::string& spillDirectory);
  ~CCompressedData() { Clear(); }
  CCompressedData(const CCompressedData&) = delete;
  CCompressedData& operator=(const CCompressedData&) = delete;

  // Free space to write into (at least one byte), and how much of it was filled.
  bool Space(unsigned char*& at, size_t& length);
  bool Commit(size_t length);
  uint64_t Size() const { return size_; }
  // Hands every byte in order to emit (in pieces); false when emit refuses or the file fails.
  bool ForEach(const std::function<bool(const unsigned char*, size_t)>& emit) const;
  // Gives the blocks back and drops the temporary file.
  void Clear();

 private:
  bool Spill(const unsigned char* bytes, size_t length);

  CBlockPool& pool_;
  size_t maxBlocks_;
  std::string spillDirectory_;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  size_t lastFill_ = 0;  // bytes used in the last block
  UniqueFd spill_;
  uint64_t spilled_ = 0;
  uint64_t size_ = 0;
};

}  // namespace orn
