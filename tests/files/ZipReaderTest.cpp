// The reader: our own and Info-ZIP's archives unpacked exactly; damaged and hostile archives
// refused without a crash, without a half-written file and without a byte outside the target.
#include "files/ZipReader.h"

#include "files/ZipWriter.h"
#include "files/TreeHelpers.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::MakeDir;
using test::MTime;
using test::PathExists;
using test::ReadFile;
using test::RunCommand;
using test::ScratchDir;
using test::SetTime;
using test::Tree;
using test::WriteFile;

void MakeSource(const std::string& root) {
  for (const char* folder : {"", "/arsp", "/arsp/mit Leerzeichen", "/arsp/leer"}) MakeDir(root + folder);
  WriteFile(root + "/arsp/a.txt", std::string(70000, 'x') + "end");
  WriteFile(root + "/arsp/mit Leerzeichen/Ärger.bin", std::string("\0\1\2\3", 4));
  WriteFile(root + "/arsp/mit Leerzeichen/leer.txt", "");
  SetTime(root + "/arsp/a.txt", 1300000001);
  SetTime(root + "/arsp/mit Leerzeichen/Ärger.bin", 1500000000);
}

class ZipReaderTest : public ::testing::Test {
 protected:
  // Extracts archive into a fresh <jail>/target that holds a link "link" to <jail>/outside.
  bool ExtractIntoJail(const std::string& archive) {
    fs::remove_all(jail_);
    fs::create_directories(jail_ + "/target");
    fs::create_directories(jail_ + "/outside");
    fs::create_symlink(jail_ + "/outside", jail_ + "/target/link");
    CZipReader reader;
    return reader.Open(archive) && reader.ExtractAll(jail_ + "/target", false);
  }
  // Nothing beside the target, nothing behind the link, no temporary file left in the target.
  void ExpectContained(const std::string& what) {
    EXPECT_TRUE(fs::is_empty(jail_ + "/outside")) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(jail_), fs::directory_iterator()), 2) << what;
    for (const std::string& path : Tree(jail_ + "/target"))
      EXPECT_EQ(path.find(".orn-tmp-"), std::string::npos) << what << ": " << path;
  }
  ScratchDir s_;
  std::string jail_ = s_ / "jail";
};

// Our own archives read back are the restore's (BackupRestoreTest); here Info-ZIP's: names,
// contents, times, empty folders, mode 0600.
TEST_F(ZipReaderTest, UnpacksInfoZipsWithTimesAndEmptyFolders) {
  MakeSource(s_ / "src");
  ASSERT_EQ(RunCommand("cd '" + s_.Path() + "/src' && zip -r -q -6 ../infozip.zip arsp"), 0);
  const std::string out = s_ / "out";
  CZipReader reader(s_ / "infozip.zip");
  ASSERT_TRUE(reader.ExtractAll(out, false));
  EXPECT_EQ(test::Contents(out), test::Contents(s_ / "src"));
  EXPECT_EQ(MTime(out + "/arsp/a.txt"), 1300000002);  // Info-ZIP rounds up to the two-second grain
  EXPECT_EQ(MTime(out + "/arsp/mit Leerzeichen/Ärger.bin"), 1500000000);
  EXPECT_EQ(fs::status(out + "/arsp/a.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(reader.Close());
  EXPECT_FALSE(reader.Close());
}

TEST_F(ZipReaderTest, ReplacesAFileButNeverAReadOnlyOne) {
  MakeSource(s_ / "src");
  CZipWriter writer(s_ / "a.zip", s_ / "src");
  ASSERT_TRUE(writer.AddFile("arsp/a.txt"));
  ASSERT_TRUE(writer.Close());
  fs::create_directories(s_ / "out/arsp");
  WriteFile(s_ / "out/arsp/a.txt", "old");
  CZipReader reader(s_ / "a.zip");
  ASSERT_TRUE(reader.ExtractAll(s_ / "out", false));
  EXPECT_EQ(ReadFile(s_ / "out/arsp/a.txt"), ReadFile(s_ / "src/arsp/a.txt"));

  WriteFile(s_ / "out/arsp/a.txt", "locked");
  ASSERT_EQ(chmod((s_ / "out/arsp/a.txt").c_str(), 0444), 0);
  EXPECT_FALSE(reader.ExtractAll(s_ / "out", false));
  EXPECT_EQ(ReadFile(s_ / "out/arsp/a.txt"), "locked");
}

TEST_F(ZipReaderTest, HostileAndDamagedArchivesAreRefusedInsideTheTarget) {
  const std::string made = s_ / "made";
  fs::create_directories(made);
  ASSERT_EQ(
      RunCommand("python3 '" ORN_SOURCE_DIR "/tests/files/hostile_zips.py' '" + made + "' '" + jail_ + "/outside'"), 0);
  // Whether ExtractAll succeeds, what the target holds afterwards besides the link (the entries
  // before a bad one stay), and the archives that end so.
  const struct {
    bool extracts;
    std::set<std::string> files;
    std::vector<std::string> archives;
  } cases[] = {
      {false,
       {},
       {"backslash_root", "drive", "sibling", "onto_link", "long_name", "name_past_limit", "empty", "encrypted", "bomb",
        "short_data", "method", "truncated_central"}},
      {false, {"ok.txt"}, {"dotdot", "absolute", "through_link", "wrong_crc"}},
      {false, {"a.bin"}, {"overlap"}},
      {false, {"a.txt", "b.txt", "c.txt"}, {"count_too_high"}},
      {true, {"extra.txt"}, {"huge_extra"}},
  };
  for (const auto& c : cases)
    for (const std::string& archive : c.archives) {
      EXPECT_EQ(ExtractIntoJail(made + "/" + archive + ".zip"), c.extracts) << archive;
      std::set<std::string> files = c.files;
      files.insert("link");
      EXPECT_EQ(Tree(jail_ + "/target"), files) << archive;
      ExpectContained(archive);
    }
  EXPECT_FALSE(PathExists(s_ / "target_evil"));

  EXPECT_EQ(CZipReader(made + "/empty.zip").EntryCount(), 0u);  // opens, but there is nothing to extract

  // A stream that goes on past its declared size is cut off there: never a byte more.
  ExtractIntoJail(made + "/bomb_prefix_crc.zip");
  if (PathExists(jail_ + "/target/bomb.bin")) {
    EXPECT_EQ(fs::file_size(jail_ + "/target/bomb.bin"), 1000u);
  }
  ExpectContained("bomb_prefix_crc.zip");
}

}  // namespace
}  // namespace orn
