#include "platform/GlobalMutex.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orn::platform {
namespace {

class GlobalMutexTest : public test::IsolatedTest {
 protected:
  // Forks a process that creates the mutex and holds it until killed; returns once it holds it.
  static pid_t StartHolder(const std::string& name) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
      auto mutex = GlobalMutex::Create(name, nullptr);
      if (!mutex || write(ready[1], "x", 1) != 1) _exit(1);
      for (;;) pause();
    }
    char c;
    bool holds = read(ready[0], &c, 1) == 1;
    close(ready[0]);
    close(ready[1]);
    return holds ? pid : -1;
  }
  // Create in another process: 1 when it found the mutex held, 0 when not, -1 on failure.
  static int ExistedInChild(const std::string& name) {
    pid_t pid = fork();
    if (pid == 0) {
      bool existed = false;
      auto mutex = GlobalMutex::Create(name, &existed);
      _exit(!mutex ? 2 : existed ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) < 2 ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(GlobalMutexTest, CreateTellsWhetherAnotherProcessHoldsIt) {
  bool existed = true;
  auto mutex = GlobalMutex::Create("OSKAORNStartMutexSERVICE", &existed);
  ASSERT_TRUE(mutex && !existed);
  EXPECT_EQ(ExistedInChild("OSKAORNStartMutexSERVICE"), 1);
  mutex.reset();
  EXPECT_EQ(ExistedInChild("OSKAORNStartMutexSERVICE"), 0);
  for (const char* name : {"", "a/b", ".hidden"}) EXPECT_FALSE(GlobalMutex::Create(name, nullptr)) << name;
}

TEST_F(GlobalMutexTest, OpenExistingSeesAHolderUntilItIsKilled) {
  EXPECT_FALSE(GlobalMutex::OpenExisting("held"));
  const pid_t holder = StartHolder("held");
  ASSERT_GT(holder, 0);
  EXPECT_TRUE(GlobalMutex::OpenExisting("held"));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(GlobalMutex::OpenExisting("held"));
  bool existed = true;
  EXPECT_TRUE(GlobalMutex::Create("held", &existed) && !existed);
}

}  // namespace
}  // namespace orn::platform
