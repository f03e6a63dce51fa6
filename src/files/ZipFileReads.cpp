#include "files/ZipFileReads.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orn {

namespace {

constexpr size_t kWindowSize = 64 * 1024;

struct Window {
  uint64_t start = 0;
  size_t length = 0;
  uint64_t used = 0;  // when last read from, for replacing the one unused longer
  std::vector<unsigned char> data;
  bool Holds(uint64_t position) const { return position >= start && position - start < length; }
};

struct WindowedFile {
  int fd = -1;
  uint64_t size = 0;
  uint64_t position = 0;
  uint64_t clock = 0;
  bool failed = false;
  Window windows[2];
};

voidpf Open(voidpf, const void* name, int mode) {
  if (!name || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  const int fd = open(static_cast<const char*>(name), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  auto* file = new WindowedFile;
  file->fd = fd;
  file->size = static_cast<uint64_t>(st.st_size);
  return file;
}

// Fills buffer from position on with pread, through short reads and interruptions; returns the
// bytes read (fewer at the end of the file), or -1.
ssize_t ReadAt(int fd, unsigned char* buffer, size_t size, uint64_t position) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(fd, buffer + done, size - done, static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

uLong Read(voidpf, voidpf stream, void* buffer, uLong size) {
  auto& file = *static_cast<WindowedFile*>(stream);
  auto* out = static_cast<unsigned char*>(buffer);
  uLong copied = 0;
  while (copied < size && file.position < file.size) {
    Window* window = file.windows[0].Holds(file.position)   ? &file.windows[0]
                     : file.windows[1].Holds(file.position) ? &file.windows[1]
                                                            : nullptr;
    if (!window && size - copied >= kWindowSize) {  // a large read goes straight to the caller
      const ssize_t n = ReadAt(file.fd, out + copied, size - copied, file.position);
      if (n <= 0) {
        file.failed = n < 0;
        break;
      }
      copied += static_cast<uLong>(n);
      file.position += static_cast<uint64_t>(n);
      continue;
    }
    if (!window) {
      window = file.windows[0].used <= file.windows[1].used ? &file.windows[0] : &file.windows[1];
      window->data.resize(kWindowSize);
      const ssize_t n = ReadAt(file.fd, window->data.data(), kWindowSize, file.position);
      window->length = 0;
      if (n <= 0) {
        file.failed = n < 0;
        break;
      }
      window->start = file.position;
      window->length = static_cast<size_t>(n);
    }
    window->used = ++file.clock;
    const size_t offset = static_cast<size_t>(file.position - window->start);
    const size_t n = std::min<size_t>(window->length - offset, size - copied);
    memcpy(out + copied, window->data.data() + offset, n);
    copied += static_cast<uLong>(n);
    file.position += n;
  }
  return copied;
}

uLong Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T Tell(voidpf, voidpf stream) { return static_cast<WindowedFile*>(stream)->position; }

long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto& file = *static_cast<WindowedFile*>(stream);
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      file.position = offset;
      return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
      file.position += offset;
      return 0;
    case ZLIB_FILEFUNC_SEEK_END:
      file.position = file.size + offset;
      return 0;
    default:
      return -1;
  }
}

int Close(voidpf, voidpf stream) {
  auto* file = static_cast<WindowedFile*>(stream);
  const int result = close(file->fd);
  delete file;
  return result;
}

int Error(voidpf, voidpf stream) { return static_cast<WindowedFile*>(stream)->failed ? 1 : 0; }

}  // namespace

zlib_filefunc64_def WindowedReadFunctions() {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = &Open;
  functions.zread_file = &Read;
  functions.zwrite_file = &Write;
  functions.ztell64_file = &Tell;
  functions.zseek64_file = &Seek;
  functions.zclose_file = &Close;
  functions.zerror_file = &Error;
  return functions;
}

}  // namespace orn
