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

TEST_F(ProcessTest, ProgramThatCannotRunIsReported) {
  test::WriteFile(Scratch() / "not-executable", "#!/bin/sh\n");
  const struct {
    std::string program, folder, error;
  } cases[] = {{Scratch() / "missing", "", "No such file or directory"},
               {Scratch() / "not-executable", "", "Permission denied"},
               {"/bin/true", Scratch() / "no-such-folder", "No such file or directory"}};
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(SpawnDetached(c.program, {}, c.folder, &error), -1) << c.program;
    EXPECT_EQ(error, c.error) << c.program;
  }
  EXPECT_TRUE(NoChildren());
}

}  // namespace
}  // namespace orn::platform
