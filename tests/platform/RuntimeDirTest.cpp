#include "platform/RuntimeDir.h"

#include <sys/stat.h>

#include "support/TestSupport.h"

namespace orn::platform {
namespace {

class RuntimeDirTest : public test::IsolatedTest {};

TEST_F(RuntimeDirTest, SubfoldersAreMadePrivateWhenFirstUsed) {
  EXPECT_FALSE(test::PathExists(Scratch() / "run"));
  EXPECT_EQ(RuntimeSubdirectory("mutex"), Scratch() / "run/mutex");
  for (const char* dir : {"run", "run/mutex"}) {
    struct stat st {};
    ASSERT_EQ(stat((Scratch() / dir).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u) << dir;
  }
  EXPECT_TRUE(MakeDirectories(Scratch() / "a//b/c/", 0700));
  EXPECT_TRUE(test::PathExists(Scratch() / "a/b/c"));
  test::WriteFile(Scratch() / "file", "");
  EXPECT_FALSE(MakeDirectories(Scratch() / "file/below", 0700));
  setenv("ORN_RUNTIME_DIR", (Scratch() / "file").c_str(), 1);
  EXPECT_EQ(RuntimeSubdirectory("pipe"), "");
  setenv("ORN_RUNTIME_DIR", "", 1);
  EXPECT_EQ(RuntimeDirectory(), "/run/orn");
}

TEST_F(RuntimeDirTest, TempDirectoryPrefersTempThenTmpdirIgnoringEmptyValues) {
  EXPECT_EQ(TempDirectory(), Scratch() / "tmp");
  setenv("TEMP", "", 1);
  const char* tmpdir = getenv("TMPDIR");
  EXPECT_EQ(TempDirectory(), tmpdir && *tmpdir ? tmpdir : "/tmp");
}

}  // namespace
}  // namespace orn::platform
