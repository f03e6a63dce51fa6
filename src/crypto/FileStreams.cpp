#include "crypto/FileStreams.h"

#include "platform/AtomicFile.h"

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
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(file_ = fdopen(fd, "rb"))) {
    close(fd);
    return false;
  }
  setvbuf(file_, nullptr, _IOFBF, kStreamBuffer);
  length_ = static_cast<uint64_t>(info.st_size);
  return true;
}

bool InputFile::Read(void* out, size_t length) { return file_ && fread(out, 1, length, file_) == length; }

int InputFile::Fd() const { return file_ ? fileno(file_) : -1; }

uint64_t InputFile::Position() const {
  const off_t position = file_ ? ftello(file_) : -1;
  return position < 0 ? 0 : static_cast<uint64_t>(position);
}

ReplacementFile::~ReplacementFile() = default;

bool ReplacementFile::Open() {
  if (target_.empty() || file_) return false;
  file_ = std::make_unique<platform::AtomicFile>(target_, platform::kPrivateFileMode);
  if (!file_->IsOpen()) {
    file_.reset();
    return false;
  }
  buffer_.reserve(kStreamBuffer);
  return true;
}

bool ReplacementFile::Flush() {
  const bool ok = file_ && file_->Write(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool ReplacementFile::Write(const void* bytes, size_t length) {
  if (!file_) return false;
  if (buffer_.size() + length > kStreamBuffer && !Flush()) return false;
  if (length >= kStreamBuffer) return file_->Write(bytes, length);
  const char* data = static_cast<const char*>(bytes);
  buffer_.insert(buffer_.end(), data, data + length);
  return true;
}

bool ReplacementFile::WriteAt(uint64_t offset, const void* bytes, size_t length) {
  return file_ && Flush() &&
         pwrite(file_->Fd(), bytes, length, static_cast<off_t>(offset)) == static_cast<ssize_t>(length);
}

bool ReplacementFile::Commit() {
  // The action that wrote the file flushes the file system once at its end.
  const bool ok = file_ && Flush() && file_->Commit(platform::Durability::None);
  file_.reset();
  return ok;
}

}  // namespace orn::crypto
