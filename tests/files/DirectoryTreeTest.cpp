// Deleting and copying trees: read-only entries, dot names, symbolic links, cancel and pumping.
#include "files/DirectoryTree.h"

#include <unistd.h>

#include "files/FilePaths.h"
#include "files/MessagePump.h"
#include "files/TreeHelpers.h"

namespace orn {
namespace {

using test::HasTempLeftover;
using test::MakeDir;
using test::PathExists;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

// a tree with blanks, umlauts, an empty folder and two levels
void MakeTree(const std::string& root) {
  for (const char* folder : {"", "/sub dir", "/sub dir/Größe", "/empty"}) MakeDir(root + folder);
  WriteFile(root + "/top.txt", "top");
  WriteFile(root + "/sub dir/a b.txt", "ab");
  WriteFile(root + "/sub dir/Größe/ü.bin", std::string("\0\1\2", 3));
}

int pumped = 0;
CancelEvent* cancelAfterPumps = nullptr;
int cancelAt = 0;
void CountingPump() {
  if (++pumped == cancelAt && cancelAfterPumps) cancelAfterPumps->Set();
}

class DirectoryTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pumped = 0, cancelAfterPumps = nullptr, cancelAt = 0;
    SetMessagePumpHook(&CountingPump);
  }
  void TearDown() override { SetMessagePumpHook(nullptr); }
  ScratchDir s_;
};

// What a delete leaves, and that the rest of the walk goes on: read-only files, names beginning
// with "." and, emptied, a read-only folder.
TEST_F(DirectoryTreeTest, ReadOnlyFilesAndDotNamesStayEvenForRoot) {
  MakeTree(s_ / "ro");
  WriteFile(s_ / "ro/sub dir/locked.cfg", "keep");
  ASSERT_EQ(chmod((s_ / "ro/sub dir/locked.cfg").c_str(), 0444), 0);
  for (const char* name : {"dots", "dots/.cache", "rodir", "rodir/inner"}) MakeDir(s_ / name);
  for (const char* name : {"dots/.profile", "dots/plain", "rodir/inner/f"}) WriteFile(s_ / name, "x");
  ASSERT_EQ(chmod((s_ / "rodir/inner").c_str(), 0555), 0);
  const struct {
    const char* tree;
    std::vector<const char*> kept, gone;
  } cases[] = {{"ro", {"ro/sub dir/locked.cfg"}, {"ro/top.txt"}},
               {"dots", {"dots/.profile", "dots/.cache"}, {"dots/plain"}},
               {"rodir", {"rodir/inner"}, {"rodir/inner/f"}}};
  for (const auto& c : cases) {
    EXPECT_FALSE(DeleteDirectoryTree(s_ / c.tree, nullptr, false)) << c.tree;
    for (const char* path : c.kept) EXPECT_TRUE(PathExists(s_ / path)) << path;
    for (const char* path : c.gone) EXPECT_FALSE(PathExists(s_ / path)) << path;
  }
}

// A whole tree goes, links in it too but never what they point to; a missing tree is no failure.
TEST_F(DirectoryTreeTest, DeletesATreeWithItsLinksButNeverWhatTheyPointTo) {
  MakeTree(s_ / "elsewhere");
  MakeTree(s_ / "tree");
  ASSERT_EQ(symlink((s_ / "elsewhere").c_str(), (s_ / "tree/to-dir").c_str()), 0);
  ASSERT_EQ(symlink((s_ / "elsewhere/top.txt").c_str(), (s_ / "tree/to-file").c_str()), 0);
  ASSERT_EQ(chmod((s_ / "tree").c_str(), 0555), 0);  // the folder itself may be read-only
  EXPECT_TRUE(DeleteDirectoryTree(s_ / "tree", nullptr, true));
  EXPECT_FALSE(PathExists(s_ / "tree"));
  EXPECT_GT(pumped, 0);
  EXPECT_EQ(ReadFile(s_ / "elsewhere/sub dir/a b.txt"), "ab");
  EXPECT_TRUE(DeleteDirectoryTree(s_ / "missing", nullptr, false));
  EXPECT_FALSE(DeleteDirectoryContents(s_ / "missing", nullptr, false));

  // A link named as the folder is not a folder: nothing behind it is touched.
  ASSERT_EQ(symlink((s_ / "elsewhere").c_str(), (s_ / "link").c_str()), 0);
  EXPECT_TRUE(DeleteDirectoryTree(s_ / "link", nullptr, false));
  EXPECT_FALSE(DeleteDirectoryContents(s_ / "link", nullptr, false));
  EXPECT_TRUE(PathExists(s_ / "link"));
  EXPECT_EQ(ReadFile(s_ / "elsewhere/top.txt"), "top");
}

TEST_F(DirectoryTreeTest, CancelStopsDeleteAndCopyAndKeepsWhatIsLeft) {
  MakeDir(s_ / "many");
  for (int i = 0; i < 20; ++i) WriteFile(s_ / ("many/f" + std::to_string(i)), "x");
  CancelEvent cancel;  // set before the start: nothing is done
  cancel.Set();
  EXPECT_FALSE(DeleteDirectoryTree(s_ / "many", &cancel, false));
  EXPECT_TRUE(PathExists(s_ / "many/f7"));
  EXPECT_FALSE(CopyDirectoryTree(s_ / "many", s_ / "copy", &cancel, false));
  EXPECT_FALSE(PathExists(s_ / "copy/f7"));

  cancel.Reset();  // set on the eighth pump: some files are gone, some are left
  cancelAfterPumps = &cancel, cancelAt = 8;
  EXPECT_FALSE(DeleteDirectoryTree(s_ / "many", &cancel, true));
  int left = 0;
  for (int i = 0; i < 20; ++i) left += PathExists(s_ / ("many/f" + std::to_string(i)));
  EXPECT_GT(left, 0);
  EXPECT_LT(left, 20);
}

TEST_F(DirectoryTreeTest, CopiesATreeReplacingFilesAndKeepingTheTargetsOthers) {
  MakeTree(s_ / "src");
  WriteFile(s_ / "src/.hidden", "h");
  ASSERT_EQ(symlink("/etc", (s_ / "src/etc-link").c_str()), 0);
  ASSERT_EQ(mkfifo((s_ / "src/fifo").c_str(), 0600), 0);
  test::SetTime(s_ / "src/top.txt", 1000000000);
  MakeDir(s_ / "dst");
  WriteFile(s_ / "dst/top.txt", "older and longer");
  ASSERT_EQ(chmod((s_ / "dst/top.txt").c_str(), 0640), 0);
  WriteFile(s_ / "dst/only-here", "mine");

  EXPECT_TRUE(CopyDirectoryTree(s_ / "src", s_ / "dst", nullptr, false));
  EXPECT_EQ(ReadFile(s_ / "dst/top.txt"), "top");
  EXPECT_EQ(ReadFile(s_ / "dst/only-here"), "mine");
  EXPECT_EQ(ReadFile(s_ / "dst/sub dir/Größe/ü.bin"), std::string("\0\1\2", 3));
  EXPECT_TRUE(PathExists(s_ / "dst/empty"));
  for (const char* name : {"dst/.hidden", "dst/etc-link", "dst/fifo"}) EXPECT_FALSE(PathExists(s_ / name)) << name;
  EXPECT_EQ(test::MTime(s_ / "dst/top.txt"), 1000000000);
  EXPECT_EQ(std::filesystem::status(s_ / "dst/top.txt").permissions(),  // the replaced file's
            std::filesystem::perms(0640));
  EXPECT_GT(pumped, 0);  // deeper levels pump although the caller did not ask

  pumped = 0;
  EXPECT_TRUE(CopyDirectoryTree(s_ / "src/empty", s_ / "a/b/c", nullptr, false));  // parents created
  EXPECT_TRUE(PathExists(s_ / "a/b/c"));
  EXPECT_EQ(pumped, 0);
  EXPECT_FALSE(CopyDirectoryTree(s_ / "missing", s_ / "made", nullptr, false));
  EXPECT_TRUE(PathExists(s_ / "made"));
}

TEST_F(DirectoryTreeTest, CopyNeverOverwritesReadOnlyFilesOrWritesThroughLinks) {
  MakeTree(s_ / "src");
  MakeDir(s_ / "dst");
  WriteFile(s_ / "dst/top.txt", "locked");
  ASSERT_EQ(chmod((s_ / "dst/top.txt").c_str(), 0444), 0);
  EXPECT_FALSE(CopyDirectoryTree(s_ / "src", s_ / "dst", nullptr, false));
  EXPECT_EQ(ReadFile(s_ / "dst/top.txt"), "locked");

  for (const char* folder : {"outside", "dst2"}) MakeDir(s_ / folder);
  ASSERT_EQ(symlink((s_ / "outside").c_str(), (s_ / "dst2/sub dir").c_str()), 0);
  // A link at a folder's place is replaced by the folder, never written through.
  EXPECT_TRUE(CopyDirectoryTree(s_ / "src", s_ / "dst2", nullptr, false));
  EXPECT_FALSE(std::filesystem::is_symlink(s_ / "dst2/sub dir"));
  EXPECT_TRUE(std::filesystem::is_empty(s_ / "outside"));
  for (const char* folder : {"dst", "dst2"}) EXPECT_FALSE(HasTempLeftover(s_ / folder)) << folder;
}

TEST_F(DirectoryTreeTest, CopyIntoItselfIsRefusedWithoutCreatingAnything) {
  MakeTree(s_ / "src");
  EXPECT_FALSE(CopyDirectoryTree(s_ / "src", s_ / "src/sub dir/inner", nullptr, false));
  EXPECT_FALSE(PathExists(s_ / "src/sub dir/inner"));
  EXPECT_FALSE(CopyDirectoryTree(s_ / "src", s_ / "src", nullptr, false));
  ASSERT_EQ(symlink((s_ / "src").c_str(), (s_ / "alias").c_str()), 0);
  EXPECT_FALSE(CopyDirectoryTree(s_ / "src", s_ / "alias/new", nullptr, false));
  EXPECT_FALSE(PathExists(s_ / "src/new"));
}

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
