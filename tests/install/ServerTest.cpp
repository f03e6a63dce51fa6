// Starting and stopping the stand-in server for real: a server process, its mutex and its pipe.
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "install/MessageError.h"
#include "install/Server.h"
#include "install/ServerStop.h"
#include "oskasys/oskasys.h"
#include "platform/Pipe.h"
#include "platform/Process.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

using test::IsolatedTest;
using test::ThrownText;
using test::WaitFor;

bool ServerMutexExists() {
  HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  CloseHandle(mutex);
  return mutex != nullptr;
}

bool ServerPipeExists() { return test::PathExists(platform::PipePath("oska_orn_service")); }

class ServerTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    installDir_ = Scratch() / "orn";
    std::filesystem::create_directories(installDir_);
    std::filesystem::copy_file(ORN_SERVER_BINARY, installDir_ + "/orn");
    test::WriteInstallationHive(HivePath(), {{"InstallDirectory", installDir_}});
  }
  void TearDown() override {
    ResetStopServerClock();
    if (ignoringServer_ > 0) kill(ignoringServer_, SIGTERM);
    if (ServerMutexExists()) {
      unsigned char stop = kStopRequest;
      uint32_t received = 0;
      CallPipeServer(kServerPipe, &stop, 1, &stop, 1, &received, 1000);
      WaitFor([] { return !ServerMutexExists(); }, 5000);
    }
    IsolatedTest::TearDown();
  }
  // Starts a server that acknowledges the stop request but keeps running.
  void StartIgnoringServer() {
    std::string error;
    ignoringServer_ = platform::SpawnDetached(ORN_SERVER_BINARY, {"orn", "--ignore-stop"}, "", &error);
    ASSERT_GT(ignoringServer_, 0) << error;
    ASSERT_TRUE(WaitFor([] { return ServerMutexExists() && ServerPipeExists(); }, 5000));
  }

  std::string installDir_;
  pid_t ignoringServer_ = -1;
};

TEST_F(ServerTest, RestartStartsOneServerThatAcknowledgesTheStop) {
  ASSERT_FALSE(ServerMutexExists());
  RestartServer();
  ASSERT_TRUE(WaitFor([] { return ServerMutexExists() && ServerPipeExists(); }, 5000));
  unsigned char buffer = kStopRequest;
  uint32_t received = 0;
  EXPECT_TRUE(CallPipeServer(kServerPipe, &buffer, 1, &buffer, 1, &received, 3000) == 1 && received == 1u &&
              buffer == kStopRequest);
  EXPECT_TRUE(WaitFor([] { return !ServerMutexExists(); }, 5000));
  EXPECT_FALSE(ServerPipeExists());
}

TEST_F(ServerTest, ServerThatIgnoresTheStopRunsIntoTheTimeout) {
  StartIgnoringServer();
  // Every reading of the replaced clock is ten seconds later than the last.
  static long seconds;
  seconds = 0;
  SetStopServerClock({[] { return seconds += 10; }, [](platform::MutexReleaseWatch&, int) {}});
  EXPECT_EQ(ThrownText(StopServer), "ORN! konnte nicht vor Ablauf des Timeouts beendet werden.");
  EXPECT_TRUE(ServerMutexExists());
  EXPECT_GE(seconds, 40);
}

TEST_F(ServerTest, StartFailures) {
  std::filesystem::remove(installDir_ + "/orn");
  EXPECT_EQ(ThrownText(RestartServer), "process could not be created.");
  std::filesystem::remove(HivePath());
  EXPECT_EQ(ThrownText(RestartServer), "Die Registry konnte nicht geöffnet werden");
}

TEST_F(ServerTest, KilledServerLeavesNoMutex) {
  StartIgnoringServer();
  kill(ignoringServer_, SIGKILL);
  ignoringServer_ = -1;
  EXPECT_TRUE(WaitFor([] { return !ServerMutexExists(); }, 5000));
  // A new server replaces the socket file the killed one left behind; the stop needs the new one.
  const std::string pipe = platform::PipePath("oska_orn_service");
  struct stat stale {};
  ASSERT_EQ(stat(pipe.c_str(), &stale), 0);
  RestartServer();
  ASSERT_TRUE(WaitFor(
      [&] {
        struct stat now {};
        return ServerMutexExists() && stat(pipe.c_str(), &now) == 0 &&
               (now.st_ino != stale.st_ino || now.st_ctim.tv_sec != stale.st_ctim.tv_sec ||
                now.st_ctim.tv_nsec != stale.st_ctim.tv_nsec);
      },
      5000));
  StopServer();
  EXPECT_FALSE(ServerMutexExists() || ServerPipeExists());
}

}  // namespace
}  // namespace orn
