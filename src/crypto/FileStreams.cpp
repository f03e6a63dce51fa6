#include "crypto/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace orn::crypto {

namespace {

// Pieces are 1 KB; the streams below them move 64 KB at a time.
constexpr size_t kStreamBuffer = 64 * 1024;

}  // namespace

InputFile::~InputFile() {
  if (file_) fclose(file_);
}

bool InputFile::Open(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info{};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(file_ = fdopen(fd, "rb"))) {
    close(fd);
    return false;
  }
  setvbuf(file_, nullptr, _IOFBF, kStreamBuffer);
  length_ = static_cast<uint64_t>(info.st_size);
  return true;
}

bool InputFile::Read(void* out, size_t length) {
  return file_ && fread(out, 1, length, file_) == length;
}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open() {
  if (target_.empty() || file_) return false;
  std::string name = target_ + ".XXXXXX";
  const int fd = mkostemp(name.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) return false;
  temporary_ = name;
  if (!(file_ = fdopen(fd, "wb"))) {
    close(fd);
    Discard();
    return false;
  }
  setvbuf(file_, nullptr, _IOFBF, kStreamBuffer);
  return true;
}

bool ReplacementFile::Write(const void* bytes, size_t length) {
  return file_ && fwrite(bytes, 1, length, file_) == length;
}

bool ReplacementFile::WriteAt(uint64_t offset, const void* bytes, size_t length) {
  return file_ && fflush(file_) == 0 &&
         pwrite(fileno(file_), bytes, length, static_cast<off_t>(offset)) == static_cast<ssize_t>(length);
}

bool ReplacementFile::Commit() {
  if (!file_) return false;
  const bool written = fclose(file_) == 0;
  file_ = nullptr;
  if (!written || rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void ReplacementFile::Discard() {
  if (file_) fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace orn::crypto
