#include "platform/Process.h"

#include <cerrno>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "support/TestSupport.h"

namespace orn::platform {
namespace {

class ProcessTest : public test::IsolatedTest {
 protected:
  // True when this process has no child left, running or dead.
  static bool NoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }
};

TEST_F(ProcessTest, StartsProgramInItsOwnSessionAndLeavesNoChild) {
  setenv("ORN_PROCESS_MARK", "mark", 1);
  std::string error;
  // "out" is relative, so it lands in the working directory; it is renamed into place whole.
  const char* script =
      "read -r pid comm state ppid pgrp sid rest < /proc/self/stat;"
      "echo \"$$ $sid $ORN_PROCESS_MARK\" > out.tmp && mv out.tmp out";
  pid_t pid = SpawnDetached("/bin/sh", {"ignored", "-c", script}, Scratch().Path(), &error);
  unsetenv("ORN_PROCESS_MARK");
  ASSERT_GT(pid, 0) << error;
  EXPECT_TRUE(NoChildren());

  for (int i = 0; i < 1000 && !test::PathExists(Scratch() / "out"); ++i) SleepMillis(10);
  std::istringstream out(test::ReadFile(Scratch() / "out"));
  pid_t shell = 0, session = 0;
  std::string mark;
  out >> shell >> session >> mark;
  EXPECT_TRUE(shell == pid && session == pid && session != getsid(0));  // the leader of a new session
  EXPECT_EQ(mark, "mark");
}

}  // namespace
}  // namespace orn::platform
