#include "platform/GlobalMutex.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/RuntimeDir.h"

namespace orn::platform {

namespace {

bool Lock(int fd, int operation) {
  while (flock(fd, operation) != 0)
    if (errno != EINTR) return false;
  return true;
}

// Names become file names in <runtime>/mutex; names starting with '.' are kept for the guards.
bool UsableName(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// Opens (or creates) the mutex file and takes a shared lock on it, serialised with every other
// Create and OpenExisting of the name by an exclusive lock on "<runtime>/mutex/.<name>.guard".
// A holder has a shared lock, so an exclusive probe succeeds exactly when nobody holds the mutex.
int OpenLocked(const std::string& name, bool create, bool* existed) {
  if (!UsableName(name)) return -1;
  std::string dir = RuntimeSubdirectory("mutex");
  if (dir.empty()) return -1;
  int guard = open((dir + "/." + name + ".guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (guard < 0) return -1;
  int fd = -1;
  if (Lock(guard, LOCK_EX)) {
    fd = open((dir + "/" + name).c_str(), O_RDONLY | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    if (fd >= 0) {
      int probe;
      while ((probe = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
      }
      const bool held = probe != 0;
      const bool ok = held ? errno == EWOULDBLOCK : create;  // OpenExisting wants a holder
      if (!ok || !Lock(fd, LOCK_SH)) {
        close(fd);
        fd = -1;
      } else if (existed) {
        *existed = held;
      }
    }
  }
  close(guard);
  return fd;
}

}  // namespace

GlobalMutex::~GlobalMutex() { close(fd_); }

std::unique_ptr<GlobalMutex> GlobalMutex::Create(const std::string& name, bool* existed) {
  if (existed) *existed = false;
  int fd = OpenLocked(name, true, existed);
  return fd < 0 ? nullptr : std::unique_ptr<GlobalMutex>(new GlobalMutex(fd));
}

std::unique_ptr<GlobalMutex> GlobalMutex::OpenExisting(const std::string& name) {
  int fd = OpenLocked(name, false, nullptr);
  return fd < 0 ? nullptr : std::unique_ptr<GlobalMutex>(new GlobalMutex(fd));
}

MutexReleaseWatch::MutexReleaseWatch(const std::string& name) {
  const std::string dir = RuntimeSubdirectory("mutex");
  if (!UsableName(name) || dir.empty()) return;
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0 && inotify_add_watch(fd_, (dir + "/" + name).c_str(), IN_CLOSE) < 0) {
    close(fd_);
    fd_ = -1;
  }
}

MutexReleaseWatch::~MutexReleaseWatch() {
  if (fd_ >= 0) close(fd_);
}

void MutexReleaseWatch::Forget() {
  alignas(inotify_event) char events[4096];
  while (fd_ >= 0 && read(fd_, events, sizeof events) > 0) {
  }
}

void MutexReleaseWatch::Wait(int millis) {
  if (fd_ < 0) return SleepMillis(millis);
  pollfd ready{fd_, POLLIN, 0};
  while (poll(&ready, 1, millis) < 0 && errno == EINTR) {
  }
  Forget();
}

}  // namespace orn::platform
