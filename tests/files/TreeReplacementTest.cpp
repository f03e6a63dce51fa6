// Keeping a tree in a safety folder and moving new files into it, the new files on the target's
// file system (renamed) and on another one (copied).
#include <filesystem>
#include <memory>
#include <sys/stat.h>

#include "files/TreeReplacement.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

ino_t Inode(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class TreeReplacementTest : public test::IsolatedTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TreeReplacementTest, KeepsEveryFileAndPutsTheNewOnesInPlace) {
  const bool otherFileSystem = GetParam();
  char shm[] = "/dev/shm/orn-XXXXXX";
  if (otherFileSystem && !mkdtemp(shm)) GTEST_SKIP() << "no /dev/shm";
  const std::unique_ptr<char, void (*)(char*)> removeShm(otherFileSystem ? shm : nullptr,
                                                         [](char* path) { fs::remove_all(path); });
  const std::string incoming = otherFileSystem ? shm + std::string("/incoming") : Scratch() / "incoming";
  struct stat a {
  }, b{};
  if (otherFileSystem && (stat(Scratch().Path().c_str(), &a) != 0 || stat(shm, &b) != 0 || a.st_dev == b.st_dev))
    GTEST_SKIP() << "/dev/shm on the scratch folder's file system";
  const std::string target = Scratch() / "target", safety = Scratch() / "safety";
  for (const std::string& folder : {target + "/unter", incoming + "/unter", incoming + "/neu"})
    fs::create_directories(folder);
  for (const char* name : {"ersetzt", "bleibt", "schreibgeschützt", "unter/ersetzt"})
    WriteFile(target + "/" + name, std::string("alt ") + name);
  fs::permissions(target + "/ersetzt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::permissions(target + "/schreibgeschützt", fs::perms::owner_read);
  WriteFile(Scratch() / "draußen", "unberührt");
  fs::create_symlink(Scratch() / "draußen", target + "/verknüpft");
  fs::create_directory_symlink(Scratch().Path(), target + "/ordner-verknüpft");  // a link where a folder comes
  fs::create_directories(incoming + "/ordner-verknüpft");
  for (const char* name :
       {"ersetzt", "schreibgeschützt", "unter/ersetzt", "verknüpft", "neu/datei", "ordner-verknüpft/d"})
    WriteFile(incoming + "/" + name, std::string("neu ") + name);
  const ino_t replaced = Inode(target + "/ersetzt"), replacing = Inode(incoming + "/ersetzt");

  TreeReplacement replacement;
  EXPECT_TRUE(replacement.KeepTree(target, incoming, safety));
  EXPECT_FALSE(replacement.MoveTree(incoming, target));  // the read-only file stays

  for (const char* name : {"ersetzt", "unter/ersetzt", "verknüpft", "neu/datei", "ordner-verknüpft/d"})
    EXPECT_EQ(ReadFile(target + "/" + name), std::string("neu ") + name) << name;
  for (const char* name : {"bleibt", "schreibgeschützt"})
    EXPECT_EQ(ReadFile(target + "/" + name), std::string("alt ") + name) << name;
  for (const char* name : {"ersetzt", "bleibt", "schreibgeschützt", "unter/ersetzt"})
    EXPECT_EQ(ReadFile(safety + "/" + name), std::string("alt ") + name) << name;
  EXPECT_FALSE(fs::is_symlink(target + "/verknüpft") || fs::exists(safety + "/verknüpft"));
  EXPECT_FALSE(fs::is_symlink(target + "/ordner-verknüpft") || fs::exists(Scratch() / "d"));
  EXPECT_EQ(ReadFile(Scratch() / "draußen"), "unberührt");
  EXPECT_EQ(fs::status(target + "/ersetzt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // The replaced file itself went to the safety folder and, on one file system, the new file
  // took its name: nothing was copied for it. A file that stays is copied, never shared.
  EXPECT_EQ(Inode(safety + "/ersetzt"), replaced);
  EXPECT_EQ(Inode(target + "/ersetzt") == replacing, !otherFileSystem);
  EXPECT_NE(Inode(safety + "/bleibt"), Inode(target + "/bleibt"));

  // A second run the same day replaces the safety copies by the files as they are now.
  WriteFile(incoming + "/ersetzt", "dritte");
  EXPECT_TRUE(replacement.KeepTree(target, incoming, safety));
  EXPECT_FALSE(replacement.MoveTree(incoming, target));
  EXPECT_EQ(ReadFile(safety + "/ersetzt"), "neu ersetzt");
  EXPECT_EQ(ReadFile(target + "/ersetzt"), "dritte");
  fs::permissions(target + "/schreibgeschützt", fs::perms::owner_all);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, TreeReplacementTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "AcrossFileSystems" : "OneFileSystem"; });

}  // namespace
}  // namespace orn
