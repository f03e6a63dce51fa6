#include "platform/Pipe.h"

#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/Clock.h"
#include "support/TestSupport.h"

namespace orn::platform {
namespace {

class PipeTest : public test::IsolatedTest {
 protected:
  // Serves requests on a thread until one is answered; the reply is "reply:" and the request.
  void ServeInBackground(PipeServer* server) {
    thread_ = std::thread([this, server] {
      for (int i = 0; i < 5; ++i)
        if (server->ServeOne(5000, [this](const std::string& r) {
              ++calls_;
              return "reply:" + r;
            }))
          break;
    });
  }
  void TearDown() override {
    if (thread_.joinable()) thread_.join();
    IsolatedTest::TearDown();
  }
  std::thread thread_;
  std::atomic<int> calls_{0};
  char reply_[64];
  uint32_t received_ = 99;
};

TEST_F(PipeTest, RequestAndReplyRoundTrip) {
  EXPECT_EQ(PipePath("\\\\.\\pipe\\orn_test"), Scratch() / "run/pipe/orn_test");
  for (const char* bad : {"", "\\\\.\\pipe\\", "a/b", ".."}) EXPECT_EQ(PipePath(bad), "") << bad;
  std::string error;
  auto server = PipeServer::Listen("\\\\.\\pipe\\orn_test", &error);
  ASSERT_TRUE(server) << error;
  struct stat st {};
  EXPECT_TRUE(stat(PipePath("orn_test").c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && (st.st_mode & 0777) == 0600u);

  const std::string request("\x40\0bytes\xff", 8);
  ServeInBackground(server.get());
  ASSERT_TRUE(CallPipe("orn_test", request.data(), request.size(), reply_, sizeof reply_, &received_, 5000));
  thread_.join();
  EXPECT_EQ(std::string(reply_, received_), "reply:" + request);

  ServeInBackground(server.get());  // a reply longer than the buffer is cut to the buffer
  ASSERT_TRUE(CallPipe("orn_test", "", 0, reply_, 3, &received_, 5000));
  thread_.join();
  EXPECT_EQ(std::string(reply_, received_), "rep");
}

TEST_F(PipeTest, CallFailsAtOnceWithoutServerAndInTimeWithASilentOne) {
  int64_t start = SteadyMillis();
  EXPECT_FALSE(CallPipe("nobody", "x", 1, reply_, sizeof reply_, &received_, 10000));
  EXPECT_TRUE(received_ == 0u && SteadyMillis() - start < 2000);

  std::string error;
  auto server = PipeServer::Listen("silent", &error);  // listens, never serves
  ASSERT_TRUE(server) << error;
  start = SteadyMillis();
  EXPECT_FALSE(CallPipe("silent", "x", 1, reply_, sizeof reply_, &received_, 300));
  EXPECT_LT(SteadyMillis() - start, 2300);
}

// A stale socket is replaced (ServerTest's killed server); a live server's and a file are not.
TEST_F(PipeTest, ALiveServerAndAFileAreNotReplaced) {
  const std::string path = PipePath("orn_stale");
  std::string error;
  auto server = PipeServer::Listen("orn_stale", &error);
  ASSERT_TRUE(server) << error;
  EXPECT_TRUE(!PipeServer::Listen("orn_stale", &error) && error == "pipe busy");
  ServeInBackground(server.get());  // the busy probe above must not have spoilt the server
  EXPECT_TRUE(CallPipe("orn_stale", "q", 1, reply_, sizeof reply_, &received_, 5000));
  thread_.join();
  server.reset();
  EXPECT_FALSE(test::PathExists(path));

  test::WriteFile(path, "data");  // not a socket: left alone
  EXPECT_FALSE(PipeServer::Listen("orn_stale", &error));
  EXPECT_EQ(test::ReadFile(path), "data");
}

}  // namespace
}  // namespace orn::platform
