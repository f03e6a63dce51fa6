// The two file streams of the archive operations: a regular file read in pieces, and a file that
// replaces its target only when it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/AtomicFile.h"

namespace orn::crypto {

// A regular file opened for reading, with its length as it was when opened.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False when path cannot be opened or is no regular file.
  bool Open(const char* path);
  uint64_t Length() const { return length_; }
  // Reads exactly length bytes; false at an error or when the file ends first.
  bool Read(void* out, size_t length);
  // The descriptor, for reads at given offsets (pread), and the offset that Read reached.
  int Fd() const;
  uint64_t Position() const;

 private:
  FILE* file_ = nullptr;
  uint64_t length_ = 0;
};

// Written under a temporary name beside the target (mode 0600, platform/AtomicFile.h) and renamed
// over the target by Commit (a link as the target is followed: the file it leads to is replaced). Until then the target
// is untouched; a file that is not committed is removed, so a failure leaves neither a partial file nor a changed
// target.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string target) : target_(std::move(target)) {}
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool Open();
  bool Write(const void* bytes, size_t length);
  // Overwrites bytes already written.
  bool WriteAt(uint64_t offset, const void* bytes, size_t length);
  bool Commit();

 private:
  bool Flush();

  std::string target_;
  std::unique_ptr<platform::AtomicFile> file_;
  std::vector<char> buffer_;
};

}  // namespace orn::crypto
