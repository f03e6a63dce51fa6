#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orn::platform {
namespace {

namespace fs = std::filesystem;

size_t EntryCount(const std::string& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// An uncommitted file leaves nothing, the target as it was; a commit replaces it once.
TEST(AtomicFileTest, CommitReplacesTheTargetAndDiscardLeavesIt) {
  const mode_t oldMask = umask(077);  // a narrow umask must not narrow the caller's mode
  test::ScratchDir s;
  const std::string target = s / "file";
  test::WriteFile(target, "old");
  {
    AtomicFile dropped(target, 0640);
    ASSERT_TRUE(dropped.IsOpen() && dropped.Write("half", 4));
  }
  EXPECT_TRUE(test::ReadFile(target) == "old" && EntryCount(s.Path()) == 1u);
  AtomicFile file(target, 0640);
  ASSERT_TRUE(file.Write("new", 3));
  EXPECT_TRUE(file.Commit(Durability::DataAndDirectory));
  EXPECT_FALSE(file.Commit(Durability::DataAndDirectory));  // once
  umask(oldMask);
  struct stat st {};
  EXPECT_TRUE(stat(target.c_str(), &st) == 0 && (st.st_mode & 07777) == 0640u);
  EXPECT_TRUE(test::ReadFile(target) == "new" && EntryCount(s.Path()) == 1u);
}

TEST(AtomicFileTest, ALinkByPathIsFollowedAndALinkInAFolderIsReplaced) {
  test::ScratchDir s;
  test::WriteFile(s / "real", "old");
  ASSERT_EQ(symlink("real", (s / "link").c_str()), 0);
  AtomicFile byPath(s / "link", kPrivateFileMode);
  ASSERT_TRUE(byPath.Write("a", 1) && byPath.Commit(Durability::None));
  EXPECT_TRUE(fs::is_symlink(s / "link"));
  EXPECT_EQ(test::ReadFile(s / "real"), "a");

  const int dir = open(s.Path().c_str(), O_RDONLY | O_DIRECTORY);
  AtomicFile inFolder(dir, "link", kPrivateFileMode);
  ASSERT_TRUE(inFolder.Write("b", 1) && inFolder.Commit(Durability::None));
  close(dir);
  EXPECT_FALSE(fs::is_symlink(s / "link"));
  EXPECT_EQ(test::ReadFile(s / "link"), "b");
  EXPECT_EQ(test::ReadFile(s / "real"), "a");
}

// Only the temporary files of processes that are gone count as leftovers.
TEST(AtomicFileTest, LeftoversAreTheTemporaryFilesOfEndedProcesses) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string dead = std::to_string(child), alive = std::to_string(getppid());
  const struct {
    std::string name;
    bool leftover;
  } cases[] = {{".orn-tmp-" + dead + "-1a2b3c-0", true},
               {".orn-tmp-" + alive + "-1a2b3c-0", false},
               {"orn-tmp-" + dead + "-1a2b3c-0", false},
               {"file", false}};
  test::ScratchDir s;
  for (const auto& c : cases) {
    EXPECT_EQ(IsLeftoverTempName(c.name), c.leftover) << c.name;
    test::WriteFile(s / c.name, "x");
  }
  EXPECT_EQ(RemoveLeftovers(s.Path()), 1u);
  EXPECT_FALSE(fs::exists(s / cases[0].name));
  EXPECT_EQ(EntryCount(s.Path()), std::size(cases) - 1);
}

}  // namespace
}  // namespace orn::platform
