#include "platform/Pipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/RuntimeDir.h"

namespace orn::platform {

namespace {

constexpr char kWindowsPrefix[] = "\\\\.\\pipe\\";
constexpr uint32_t kMaxRequest = 64 * 1024;  // longer requests are dropped unread
constexpr int kRequestMillis = 1000;         // a client must send its request (and take the reply) in this time

// Closes the descriptor when it goes out of scope.
struct Fd {
  explicit Fd(int value) : fd(value) {}
  ~Fd() {
    if (fd >= 0) close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int fd;
};

// Deadlines are SteadyMillis() values; -1 means none.
int64_t DeadlineAfter(int millis) { return millis < 0 ? -1 : SteadyMillis() + millis; }

int Remaining(int64_t deadline) {
  if (deadline < 0) return -1;
  return static_cast<int>(std::clamp<int64_t>(deadline - SteadyMillis(), 0, INT_MAX));
}

// True when the socket is ready (or has an error the next call will report); false on time-out.
bool Wait(int fd, short events, int64_t deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int n = poll(&p, 1, Remaining(deadline));
    if (n > 0) return true;
    if (n == 0 || errno != EINTR) return false;
  }
}

bool SendAll(int fd, const char* data, size_t length, int64_t deadline) {
  while (length > 0) {
    ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
    if (n > 0) {
      data += n;
      length -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
    } else if (n < 0 && errno == EAGAIN) {
      if (!Wait(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool ReceiveAll(int fd, char* data, size_t length, int64_t deadline) {
  while (length > 0) {
    ssize_t n = recv(fd, data, length, 0);
    if (n > 0) {
      data += n;
      length -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
    } else if (n < 0 && errno == EAGAIN) {
      if (!Wait(fd, POLLIN, deadline)) return false;
    } else {
      return false;  // the peer closed the connection, or an error
    }
  }
  return true;
}

bool SendFrame(int fd, const void* data, size_t length, int64_t deadline) {
  if (length > UINT32_MAX) return false;
  std::string frame(4, '\0');
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>(length >> (8 * i) & 0xFF);
  frame.append(static_cast<const char*>(data), length);
  return SendAll(fd, frame.data(), frame.size(), deadline);
}

bool ReceiveLength(int fd, uint32_t* length, int64_t deadline) {
  unsigned char header[4];
  if (!ReceiveAll(fd, reinterpret_cast<char*>(header), 4, deadline)) return false;
  *length = header[0] | header[1] << 8 | header[2] << 16 | static_cast<uint32_t>(header[3]) << 24;
  return true;
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  memcpy(address.sun_path, path.c_str(), path.size() + 1);  // PipePath checked the length
  return address;
}

// Starts a non-blocking connection; 0 when connected, else the errno of connect.
int StartConnect(int fd, const std::string& path) {
  sockaddr_un address = Address(path);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
  return errno;
}

// A connected non-blocking socket, or -1 when nobody listens or the deadline passes.
int Connect(const std::string& path, int64_t deadline) {
  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.fd < 0) return -1;
  for (;;) {
    int error = StartConnect(fd.fd, path);
    if (error == EAGAIN) {  // the server's backlog is full: try again shortly
      int left = Remaining(deadline);
      if (left == 0) return -1;
      SleepMillis(left < 0 ? 10 : std::min(left, 10));
      continue;
    }
    if (error == EINPROGRESS || error == EINTR) {
      int soError = 0;
      socklen_t size = sizeof soError;
      if (!Wait(fd.fd, POLLOUT, deadline) || getsockopt(fd.fd, SOL_SOCKET, SO_ERROR, &soError, &size) != 0 ||
          soError != 0)
        return -1;
      error = 0;
    }
    if (error != 0) return -1;
    int connected = fd.fd;
    fd.fd = -1;
    return connected;
  }
}

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

}  // namespace

std::string PipePath(const std::string& name) {
  std::string bare = name;
  const size_t prefix = sizeof kWindowsPrefix - 1;
  if (bare.size() >= prefix && strncasecmp(bare.c_str(), kWindowsPrefix, prefix) == 0) bare.erase(0, prefix);
  if (bare.empty() || bare == "." || bare == ".." || bare.find('/') != std::string::npos ||
      bare.find('\0') != std::string::npos)
    return {};
  std::string dir = RuntimeSubdirectory("pipe");
  if (dir.empty()) return {};
  std::string path = dir + "/" + bare;
  return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
}

bool CallPipe(const std::string& name, const void* request, size_t requestLength, void* reply, size_t replyLength,
              uint32_t* received, int timeoutMs) {
  if (received) *received = 0;
  const int64_t deadline = DeadlineAfter(timeoutMs);
  std::string path = PipePath(name);
  if (path.empty()) return false;
  Fd fd(Connect(path, deadline));
  if (fd.fd < 0 || !SendFrame(fd.fd, request, requestLength, deadline)) return false;
  uint32_t length = 0;
  if (!ReceiveLength(fd.fd, &length, deadline)) return false;
  size_t count = std::min<size_t>(length, reply ? replyLength : 0);
  if (!ReceiveAll(fd.fd, static_cast<char*>(reply), count, deadline)) return false;
  if (received) *received = static_cast<uint32_t>(count);
  return true;
}

PipeServer::~PipeServer() {
  close(fd_);
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) unlink(path_.c_str());
}

std::unique_ptr<PipeServer> PipeServer::Listen(const std::string& name, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return nullptr;
  };
  std::string path = PipePath(name);
  if (path.empty()) return fail("invalid pipe name or runtime folder");

  // Servers of any name check and bind one at a time, so that two cannot both replace a stale file.
  Fd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0 || flock(folder.fd, LOCK_EX) != 0) return fail(ErrorText(errno));

  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return fail(path + " exists and is not a socket");
    Fd probe(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int probeError = probe.fd < 0 ? errno : StartConnect(probe.fd, path);
    if (probeError != ECONNREFUSED) return fail("pipe busy");
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return fail(ErrorText(errno));
  }

  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.fd < 0) return fail(ErrorText(errno));
  sockaddr_un address = Address(path);
  if (bind(fd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return fail(ErrorText(errno));
  if (chmod(path.c_str(), 0600) != 0 || listen(fd.fd, 16) != 0 || lstat(path.c_str(), &st) != 0) {
    std::string why = ErrorText(errno);
    unlink(path.c_str());
    return fail(why);
  }
  std::unique_ptr<PipeServer> server(new PipeServer(fd.fd, path));
  fd.fd = -1;
  server->device_ = st.st_dev;
  server->inode_ = st.st_ino;
  return server;
}

bool PipeServer::ServeOne(int timeoutMs, const Handler& handler) {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;  // time-out, or a signal for the caller to see
  Fd client(accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (client.fd < 0) return false;

  int64_t deadline = DeadlineAfter(kRequestMillis);
  uint32_t length = 0;
  if (!ReceiveLength(client.fd, &length, deadline) || length > kMaxRequest) return false;
  std::string request(length, '\0');
  if (!ReceiveAll(client.fd, request.data(), length, deadline)) return false;

  std::string reply = handler(request);
  return SendFrame(client.fd, reply.data(), reply.size(), DeadlineAfter(kRequestMillis));
}

}  // namespace orn::platform
