// orn: stand-in for the ORN! server program. It holds the start mutex while it runs, answers on
// its pipe, and ends when it receives the stop request. A second start while one runs ends at once.
//
//   orn [--ignore-stop] [--foreground]
//     --ignore-stop  answer the stop request but keep running (for time-out tests)
//     --foreground   keep standard input and output (normally they are let go, as a service has none)
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "install/ServerStop.h"
#include "oskasys/oskasys.h"
#include "platform/Pipe.h"

namespace {

volatile sig_atomic_t stopSignal = 0;
void OnSignal(int) { stopSignal = 1; }

constexpr unsigned char kStatusRequest = 0x01;
constexpr unsigned char kUnknownRequest = 0xFF;

void DetachStandardStreams() {
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) return;
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);
  if (null > 2) close(null);
}

}  // namespace

int main(int argc, char** argv) {
  bool ignoreStop = false, foreground = false;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--ignore-stop") == 0)
      ignoreStop = true;
    else if (strcmp(argv[i], "--foreground") == 0)
      foreground = true;
    else {
      fprintf(stderr, "usage: orn [--ignore-stop] [--foreground]\n");
      return 2;
    }
  }

  HANDLE mutex = CreateMutexGlobal(nullptr, 0, orn::kServerStartMutex);
  if (!mutex) {
    fprintf(stderr, "orn: start mutex could not be created\n");
    return 1;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {  // a server runs already
    CloseHandle(mutex);
    return 0;
  }

  std::string error;
  auto pipe = orn::platform::PipeServer::Listen("oska_orn_service", &error);
  if (!pipe) {
    fprintf(stderr, "orn: pipe could not be opened: %s\n", error.c_str());
    CloseHandle(mutex);
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGHUP, SIG_IGN);
  if (!foreground) DetachStandardStreams();

  bool stopRequested = false;
  const auto handler = [&](const std::string& request) -> std::string {
    if (request.size() == 1 && static_cast<unsigned char>(request[0]) == orn::kStopRequest) {
      stopRequested = !ignoreStop;
      return request;  // the request is acknowledged before the server goes
    }
    if (request.size() == 1 && static_cast<unsigned char>(request[0]) == kStatusRequest)
      return std::string(1, static_cast<char>(ignoreStop ? 2 : 1));
    return std::string(1, static_cast<char>(kUnknownRequest));
  };
  while (!stopRequested && !stopSignal) pipe->ServeOne(250, handler);

  pipe.reset();        // the pipe goes first,
  CloseHandle(mutex);  // then the start mutex: a stopper that sees no mutex finds no pipe either
  return 0;
}
