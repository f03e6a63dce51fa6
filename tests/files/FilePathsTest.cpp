// Creating folder paths, telling whether a path exists and splitting a file path.
#include "files/FilePaths.h"

#include <unistd.h>

#include "files/TreeHelpers.h"

namespace orn {
namespace {

using test::ScratchDir;
using test::WriteFile;

TEST(FilePathsTest, CreatesPathsTestsAndSplitsThem) {
  ScratchDir s;
  EXPECT_TRUE(CreateDirectoryPath(s / "x/y z/ü/") && FileExists(s / "x/y z/ü") && CreateDirectoryPath("/"));
  WriteFile(s / "file", "");
  EXPECT_FALSE(CreateDirectoryPath(s / "file/below"));
  ASSERT_EQ(symlink("nowhere", (s / "dangling").c_str()), 0);
  EXPECT_TRUE(FileExists(s / "dangling"));
  EXPECT_FALSE(FileExists(s / "nothing"));

  std::string dir = "untouched", name, ext;
  EXPECT_FALSE(SplitFilePath("", dir, name, ext));
  EXPECT_EQ(dir, "untouched");
  ASSERT_TRUE(SplitFilePath("/srv/orn.v2/orn_041226.eff", dir, name, ext));
  EXPECT_EQ(dir + "|" + name + "|" + ext, "/srv/orn.v2|orn_041226|eff");
  ASSERT_TRUE(SplitFilePath("/srv/orn.v2/archive", dir, name, ext));  // the dot of the folder is not used
  EXPECT_EQ(dir + "|" + name + "|" + ext, "/srv/orn.v2|archive|");
}

}  // namespace
}  // namespace orn
