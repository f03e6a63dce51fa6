// The unpack on several threads: the same tree as the unpack in order, the later of two entries
// of one name winning, and hostile archives refused as the reader in order refuses them.
#include "files/ParallelExtraction.h"

#include "files/TreeHelpers.h"
#include "files/ZipReader.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::Contents;
using test::RunCommand;
using test::ScratchDir;
using test::Tree;

struct CountingProgress : Progress {
  void FileDone(uint64_t) override { ++files; }
  uint64_t files = 0;
};

// Unpacks archive in order and on threads into fresh targets that hold a link to an outside
// folder: both give the same result, nothing lies outside and no temporary file is left.
void ExpectSameAsInOrder(const std::string& archive, const std::string& work, bool extracts) {
  for (const unsigned threads : {1u, 3u}) {
    const std::string target = work + "/t" + std::to_string(threads), outside = work + "/outside";
    fs::create_directories(target);
    fs::create_directories(outside);
    fs::create_symlink(outside, target + "/link");
    EXPECT_EQ(ExtractAllInParallel(archive, target, threads), extracts) << archive << " on " << threads;
    EXPECT_TRUE(fs::is_empty(outside)) << archive;
    for (const std::string& path : Tree(target)) EXPECT_EQ(path.find(".orn-tmp-"), std::string::npos) << path;
  }
  if (extracts) {
    EXPECT_EQ(Contents(work + "/t1"), Contents(work + "/t3")) << archive;
  }
  fs::remove_all(work);
}

TEST(ParallelExtractionTest, UnpacksLikeTheReaderInOrderWithTheLaterOfTwoNames) {
  ScratchDir s;
  const std::string archive = s / "folders.zip";
  // Twelve folders of files, a name held twice with the later entry between other folders' entries.
  ASSERT_EQ(RunCommand("python3 -W ignore -c \"import zipfile,sys\n"
                       "z=zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED)\n"
                       "z.writestr('b0/twice.txt','first')\n"
                       "for d in range(12):\n"
                       "  z.writestr('b%d/' % d, '')\n"
                       "  for f in range(20): z.writestr('b%d/sub/f%d.txt' % (d, f), 'x' * (d * 1000 + f))\n"
                       "z.writestr('b0/twice.txt','second')\n"
                       "z.close()\" '" +
                       archive + "'"),
            0);
  CountingProgress progress;
  ASSERT_TRUE(ExtractAllInParallel(archive, s / "out", 4, progress));
  EXPECT_EQ(progress.files, 12u * 20 + 2);
  EXPECT_EQ(test::ReadFile(s / "out/b0/twice.txt"), "second");
  EXPECT_EQ(Tree(s / "out").size(), 12u * 22 + 1);
  ExpectSameAsInOrder(archive, s / "work", true);
}

TEST(ParallelExtractionTest, RefusesHostileArchivesAsTheReaderInOrderDoes) {
  ScratchDir s;
  const std::string made = s / "made";
  fs::create_directories(made);
  ASSERT_EQ(RunCommand("python3 '" ORN_SOURCE_DIR "/tests/files/hostile_zips.py' '" + made + "' '" +
                       s / "jail/outside" + "'"),
            0);
  for (const auto& entry : fs::directory_iterator(made)) {
    if (entry.path().extension() != ".zip") continue;
    const std::string work = s / "jail";
    fs::create_directories(work + "/order");
    fs::create_directories(work + "/outside");
    fs::create_symlink(work + "/outside", work + "/order/link");
    CZipReader reader(entry.path().string());
    const bool extracts = reader.IsOpen() && reader.ExtractAll(work + "/order", false);
    fs::remove_all(work);
    ExpectSameAsInOrder(entry.path().string(), work, extracts);
  }
}

}  // namespace
}  // namespace orn
