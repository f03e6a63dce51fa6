#include "platform/FileAttributes.h"

#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orn::platform {
namespace {

TEST(FileAttributesTest, WordFollowsTheKindAndTheWriteBitsWithoutFollowingLinks) {
  test::ScratchDir s;
  for (const char* name : {"read-only", "group-writable"}) test::WriteFile(s / name, "x");
  ASSERT_EQ(chmod((s / "read-only").c_str(), 0444), 0);
  ASSERT_EQ(chmod((s / "group-writable").c_str(), 0464), 0);
  ASSERT_EQ(mkdir((s / "dir").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((s / "read-only-dir").c_str(), 0500), 0);
  ASSERT_EQ(symlink("dir", (s / "to-dir").c_str()), 0);

  EXPECT_EQ(FileAttributes(s / "read-only"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(FileAttributes(s / "group-writable"), kAttrArchive);
  EXPECT_EQ(FileAttributes(s / "dir"), kAttrDirectory);
  EXPECT_EQ(FileAttributes(s / "read-only-dir"), kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(FileAttributes(s / "to-dir"), kAttrReparsePoint);
  EXPECT_EQ(FileAttributes(s / "missing"), kInvalidAttributes);
}

}  // namespace
}  // namespace orn::platform
