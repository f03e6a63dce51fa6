#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <system_error>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orn::platform {

namespace {

// What the intermediate child reports through its pipe.
struct Outcome {
  int error;  // 0, or the errno of chdir/posix_spawn
  pid_t pid;
};

bool ReadAll(int fd, void* data, size_t length) {
  auto* p = static_cast<char*>(data);
  while (length > 0) {
    ssize_t n = read(fd, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

// Runs in the forked child: only calls that are safe after fork in a threaded program.
[[noreturn]] void SpawnAndReport(int out, const char* program, char* const* argv, const char* dir,
                                 const posix_spawnattr_t* attributes) {
  Outcome outcome{0, -1};
  if (dir && chdir(dir) != 0)
    outcome.error = errno;
  else
    outcome.error = posix_spawn(&outcome.pid, program, nullptr, attributes, argv, environ);
  ssize_t written = write(out, &outcome, sizeof outcome);
  _exit(written == static_cast<ssize_t>(sizeof outcome) ? 0 : 1);
}

}  // namespace

// The program is started by a short-lived intermediate child, so that the program's parent is
// gone at once and the system, not this process, collects it when it ends. The child passes on
// the pid, or the reason posix_spawn or chdir failed, and is waited for here.
pid_t SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDirectory, std::string* error) {
  auto fail = [error](int code) {
    if (error) *error = std::error_code(code, std::generic_category()).message();
    return static_cast<pid_t>(-1);
  };
  // Everything the child needs is prepared before fork.
  std::vector<std::string> arguments(args.empty() ? 1 : args.size());
  arguments[0] = program;
  for (size_t i = 1; i < args.size(); ++i) arguments[i] = args[i];
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The program starts in its own session with default signal handling and no blocked signals.
  posix_spawnattr_t attributes;
  if (int e = posix_spawnattr_init(&attributes)) return fail(e);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  int channel[2];
  if (pipe2(channel, O_CLOEXEC) != 0) {
    int e = errno;
    posix_spawnattr_destroy(&attributes);
    return fail(e);
  }
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    SpawnAndReport(channel[1], program.c_str(), argv.data(),
                   workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &attributes);
  }
  int forkError = errno;
  close(channel[1]);
  posix_spawnattr_destroy(&attributes);
  if (child < 0) {
    close(channel[0]);
    return fail(forkError);
  }
  Outcome outcome{EIO, -1};
  bool reported = ReadAll(channel[0], &outcome, sizeof outcome);
  close(channel[0]);
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (!reported) return fail(EIO);
  if (outcome.error != 0) return fail(outcome.error);
  return outcome.pid;
}

}  // namespace orn::platform
