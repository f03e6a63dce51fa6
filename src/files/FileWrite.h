// Writing a whole block to a descriptor, through short writes and interruptions.
#pragma once

#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace orn {

// True when all size bytes were written.
inline bool WriteAll(int fd, const void* data, size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, next, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace orn
