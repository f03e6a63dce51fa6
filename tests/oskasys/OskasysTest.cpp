#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "oskasys/oskasys.h"
#include "platform/Pipe.h"
#include "support/TestSupport.h"

namespace {

using orn::test::IsolatedTest;

class OskasysTest : public IsolatedTest {};

// Forks a child that holds the mutex until it is killed; returns its pid once it holds it.
pid_t HoldInChild(const char* name) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    HANDLE h = CreateMutexGlobal(nullptr, 0, name);
    char c = h ? '1' : '0';
    if (write(ready[1], &c, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char c = 0;
  close(ready[1]);
  if (read(ready[0], &c, 1) != 1 || c != '1') pid = -1;
  close(ready[0]);
  return pid;
}

TEST_F(OskasysTest, CreateReportsAnExistingMutexAndOpenSeesAnyHolder) {
  EXPECT_EQ(OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg"), nullptr);
  const pid_t holder = HoldInChild("OrnCfg");
  ASSERT_GT(holder, 0);

  HANDLE second = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(second);

  HANDLE opened = OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg");
  EXPECT_NE(opened, nullptr);
  CloseHandle(opened);

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg"), nullptr);
  HANDLE fresh = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(fresh);
}

TEST_F(OskasysTest, StringLists) {
  stringlist* list = nullptr;
  EXPECT_EQ(stringlist_in(list, "anna"), 0);
  ASSERT_EQ(stringlist_append_string(&list, "anna"), 0);
  ASSERT_EQ(stringlist_append_string(&list, "bernd"), 0);
  ASSERT_EQ(stringlist_append_string(&list, ""), 0);
  EXPECT_NE(stringlist_in(list, "bernd"), 0);
  EXPECT_NE(stringlist_in(list, ""), 0);
  EXPECT_EQ(stringlist_in(list, "Anna"), 0);  // exact comparison
  EXPECT_EQ(stringlist_in(list, nullptr), 0);
  EXPECT_STREQ(list->string, "anna");
  EXPECT_STREQ(list->next->next->string, "");
  stringlist_free(list);
}

TEST_F(OskasysTest, PipeCallWithAndWithoutServer) {
  unsigned char buffer = 0x40;
  uint32_t received = 99;
  EXPECT_EQ(CallPipeServer("\\\\.\\pipe\\oska_test", &buffer, 1, &buffer, 1, &received, 200), 0);
  EXPECT_EQ(received, 0u);

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

TEST_F(OskasysTest, ClockAndPasswordHooks) {
  int32_t now = 0;
  __time(&now);
  EXPECT_LE(std::abs(static_cast<long>(now) - static_cast<long>(time(nullptr))), 2);
  const long a = timeout_current_secs();
  EXPECT_GE(timeout_current_secs(), a);

  config_pwfunc encrypt = nullptr, decrypt = nullptr;
  config_set_pwfuncs([](const char*) -> char* { return nullptr; }, nullptr);
  config_get_pwfuncs(&encrypt, &decrypt);
  EXPECT_NE(encrypt, nullptr);
  EXPECT_EQ(decrypt, nullptr);
  config_set_pwfuncs(nullptr, nullptr);
  config_get_pwfuncs(&encrypt, &decrypt);
  EXPECT_EQ(encrypt, nullptr);
}

}  // namespace
