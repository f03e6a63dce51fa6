#include "files/FileSink.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orn {

bool CFileSink::Open(const std::string& path) {
  fd_.Reset(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
  failed_ = !fd_.IsValid() || fchmod(fd_.Get(), 0600) != 0;
  return !failed_;
}

bool CFileSink::Write(const void* bytes, size_t length) {
  const auto* at = static_cast<const unsigned char*>(bytes);
  while (!failed_ && length > 0) {
    const ssize_t n = write(fd_.Get(), at, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) failed_ = true;
    at += n > 0 ? n : 0;
    length -= n > 0 ? static_cast<size_t>(n) : length;
  }
  return !failed_;
}

bool CFileSink::Close() {
  if (!fd_.IsValid()) return false;
  const bool closed = close(fd_.Release()) == 0;
  return closed && !failed_;
}

}  // namespace orn
