#include <thread>

#include "oskasys/oskasys.h"
#include "platform/Pipe.h"
#include "support/TestSupport.h"

namespace {

using orn::test::IsolatedTest;

class OskasysTest : public IsolatedTest {};

// Holders in other processes are the platform layer's test (GlobalMutexTest); here handles of one
// process: the "already exists" error, and the mutex held until the last handle is closed.
TEST_F(OskasysTest, CreateReportsAnExistingMutexAndOpenSeesAnyHolder) {
  EXPECT_EQ(OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg"), nullptr);
  HANDLE first = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(first, nullptr);
  EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
  HANDLE second = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(first);
  HANDLE still = OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg");  // the second handle holds it
  EXPECT_NE(still, nullptr);
  CloseHandle(still);
  CloseHandle(second);
  EXPECT_EQ(OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg"), nullptr);
}

// Without a server, and the timing, are the platform layer's (PipeTest): here the pipe name and
// the call's result.
TEST_F(OskasysTest, PipeCallReachesAServerByItsPipeName) {
  unsigned char buffer = 0x40;
  uint32_t received = 99;
  std::string error;
  auto server = orn::platform::PipeServer::Listen("oska_test", &error);
  ASSERT_TRUE(server) << error;
  std::thread serve([&] { server->ServeOne(5000, [](const std::string& r) { return r + "!"; }); });
  unsigned char reply[4] = {};
  EXPECT_EQ(CallPipeServer("\\\\.\\pipe\\oska_test", &buffer, 1, reply, sizeof reply, &received, 3000), 1);
  serve.join();
  EXPECT_EQ(received, 2u);
  EXPECT_EQ(reply[0], 0x40);
  EXPECT_EQ(reply[1], '!');
}

}  // namespace
