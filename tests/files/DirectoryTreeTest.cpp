// Deleting and copying trees: read-only entries and dot names stay, links are never followed,
// a copy into itself is refused.
#include "files/DirectoryTree.h"

#include <unistd.h>

#include "files/TreeHelpers.h"

namespace orn {
namespace {

using test::MakeDir;
using test::PathExists;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

void MakeTree(const std::string& root) {
  for (const char* folder : {"", "/sub dir", "/sub dir/Größe", "/empty"}) MakeDir(root + folder);
  WriteFile(root + "/top.txt", "top");
  WriteFile(root + "/sub dir/Größe/ü.bin", std::string("\0\1\2", 3));
}

TEST(DirectoryTreeTest, DeleteKeepsReadOnlyAndDotNamesAndNeverFollowsALink) {
  ScratchDir s;
  MakeTree(s / "elsewhere");
  MakeTree(s / "tree");
  ASSERT_EQ(symlink((s / "elsewhere").c_str(), (s / "tree/to-dir").c_str()), 0);
  EXPECT_TRUE(DeleteDirectoryTree(s / "tree", nullptr, false));
  EXPECT_FALSE(PathExists(s / "tree"));
  EXPECT_EQ(ReadFile(s / "elsewhere/top.txt"), "top");

  WriteFile(s / "elsewhere/.profile", "x");
  WriteFile(s / "elsewhere/sub dir/locked.cfg", "keep");
  ASSERT_EQ(chmod((s / "elsewhere/sub dir/locked.cfg").c_str(), 0444), 0);
  EXPECT_FALSE(DeleteDirectoryTree(s / "elsewhere", nullptr, false));
  EXPECT_TRUE(PathExists(s / "elsewhere/.profile") && PathExists(s / "elsewhere/sub dir/locked.cfg"));
  EXPECT_FALSE(PathExists(s / "elsewhere/top.txt"));
}

TEST(DirectoryTreeTest, CopyReplacesFilesKeepsTheTargetsOthersAndRefusesItself) {
  ScratchDir s;
  MakeTree(s / "src");
  WriteFile(s / "src/.hidden", "h");
  ASSERT_EQ(symlink("/etc", (s / "src/etc-link").c_str()), 0);
  for (const char* folder : {"dst", "outside"}) MakeDir(s / folder);
  WriteFile(s / "dst/top.txt", "older and longer");
  WriteFile(s / "dst/only-here", "mine");
  ASSERT_EQ(symlink((s / "outside").c_str(), (s / "dst/sub dir").c_str()), 0);
  EXPECT_TRUE(CopyDirectoryTree(s / "src", s / "dst", nullptr, false));
  EXPECT_EQ(ReadFile(s / "dst/top.txt"), "top");
  EXPECT_EQ(ReadFile(s / "dst/only-here"), "mine");
  EXPECT_EQ(ReadFile(s / "dst/sub dir/Größe/ü.bin"), std::string("\0\1\2", 3));
  EXPECT_TRUE(std::filesystem::is_empty(s / "outside"));  // the link was replaced, not written through
  EXPECT_FALSE(PathExists(s / "dst/.hidden") || PathExists(s / "dst/etc-link"));

  EXPECT_FALSE(CopyDirectoryTree(s / "src", s / "src/sub dir/inner", nullptr, false));
  EXPECT_FALSE(PathExists(s / "src/sub dir/inner"));
}

}  // namespace
}  // namespace orn
