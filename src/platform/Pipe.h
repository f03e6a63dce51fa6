// Named pipes: Unix domain stream sockets <runtime>/pipe/<name>. One request and one reply per
// connection, each sent as a 4-byte little-endian length followed by the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orn::platform {

// "\\\\.\\pipe\\name" or "name" -> <runtime>/pipe/name; empty when the name is not usable
// (empty, contains '/', or the path would be too long for a socket address).
std::string PipePath(const std::string& name);

// Connects, sends the request and waits for the reply; the whole call ends within timeoutMs.
// Copies at most replyLength bytes of the reply and sets *received. False when no reply came.
bool CallPipe(const std::string& name, const void* request, size_t requestLength, void* reply, size_t replyLength,
              uint32_t* received, int timeoutMs);

class PipeServer {
 public:
  using Handler = std::function<std::string(const std::string& request)>;

  ~PipeServer();  // closes the socket and removes its path
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // Binds and listens (a stale socket file left by a dead server is replaced). Null on failure,
  // with the reason in *error.
  static std::unique_ptr<PipeServer> Listen(const std::string& name, std::string* error);

  // Waits up to timeoutMs (-1: no limit) for a client, reads its request, sends handler's reply.
  // Returns true when a request was served. A client that sends nothing is dropped after 1 s.
  bool ServeOne(int timeoutMs, const Handler& handler);

 private:
  PipeServer(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
  uint64_t device_ = 0, inode_ = 0;  // the socket file we bound; only that one is removed
};

}  // namespace orn::platform
