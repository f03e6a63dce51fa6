// The parallel packer and its walk: archives byte for byte the same with any number of threads,
// minizip's own for small files, readable everywhere, links packed as what they point to or reported, and trees deeper
// than the open-file limit packed whole or refused.
#include "files/ZipPacker.h"

#include <fcntl.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/DirectoryListing.h"
#include "files/FileSink.h"
#include "files/PackingWalk.h"
#include "files/TreeHelpers.h"
#include "files/ZipReader.h"
#include "files/ZipWriter.h"

namespace orn {
namespace {

using test::MakeDir;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

// A seeded tree of small files (1 to 2,000 bytes, one in ten text-like) in folders of 50, with an
// empty file, a read-only one, names in UTF-8, and one random file of 5 MB, beyond the memory an
// entry may hold, so that its deflated bytes go through a temporary file.
void MakeTree(const std::string& arsp, int files) {
  std::mt19937 random(20261207);
  MakeDir(arsp);
  std::string folder;
  for (int i = 0; i < files; ++i) {
    if (i % 50 == 0) MakeDir(folder = arsp + "/ordner " + std::to_string(i / 50));
    std::string data(1 + random() % 2000, '\0');
    const bool text = i % 10 == 0;
    for (char& c : data) c = static_cast<char>(text ? "abc def\n"[random() % 8] : random());
    WriteFile(folder + "/" + (i % 7 == 0 ? "grüße " : "f") + std::to_string(i), data);
  }
  WriteFile(arsp + "/leer", "");
  WriteFile(arsp + "/nur-lesen", "ro");
  ASSERT_EQ(chmod((arsp + "/nur-lesen").c_str(), 0444), 0);
  std::string large(5 << 20, '\0');
  for (char& c : large) c = static_cast<char>(random());
  WriteFile(arsp + "/gross.bin", large);
}

// Packs the file named flat beside arsp, when given, and then the tree, as a backup does.
bool Pack(const std::string& arsp, const std::string& archive, unsigned threads, std::vector<LeftOutEntry>& leftOut,
          const char* flat = nullptr) {
  CFileSink sink;
  CZipPacker packer(sink, threads, archive.substr(0, archive.rfind('/')));
  return sink.Open(archive) && packer.Open() && (!flat || PackFile(packer, arsp + "/../" + flat, flat, leftOut)) &&
         PackTree(packer, arsp, "arsp", leftOut) && packer.Close() && sink.Close();
}

TEST(ZipPackerTest, ArchivesAreTheSameWithAnyNumberOfThreadsAndReadEverywhere) {
  ScratchDir s;
  MakeDir(s / "inst");
  MakeTree(s / "inst/arsp", 3000);
  WriteFile(s / "inst/orn.cfg", "[general]\r\n");
  std::string first;
  for (unsigned threads : {1u, 2u, 5u}) {
    std::vector<LeftOutEntry> leftOut;
    ASSERT_TRUE(Pack(s / "inst/arsp", s / "packed.zip", threads, leftOut, "orn.cfg")) << threads;
    EXPECT_TRUE(leftOut.empty());
    if (threads == 1) first = ReadFile(s / "packed.zip");
    EXPECT_TRUE(ReadFile(s / "packed.zip") == first) << threads << " threads";
  }
  // Up to the large file's compressed size (its local header's field 12 bytes before its name)
  // the archive is minizip's own; the large file, deflated in pieces, is one stream that Info-ZIP
  // and our reader unpack to the file.
  CZipWriter reference(s / "minizip.zip", s / "inst");
  ASSERT_TRUE(reference.AddFile(s / "inst/orn.cfg") && reference.AddDirectory(s / "inst/arsp"));
  ASSERT_TRUE(reference.Close());
  const std::string expected = ReadFile(s / "minizip.zip");
  const size_t large = first.find("arsp\\gross.bin");
  ASSERT_NE(large, std::string::npos);
  const auto differ = std::mismatch(first.begin(), first.end(), expected.begin(), expected.end());
  EXPECT_EQ(differ.first - first.begin(), static_cast<long>(large) - 12);
  EXPECT_EQ(test::RunCommand("unzip -tqq '" + s / "packed.zip" + "'"), 0);
  CZipReader reader(s / "packed.zip");
  ASSERT_TRUE(reader.ExtractAll(s / "out", false));
  EXPECT_TRUE(ReadFile(s / "out/arsp/gross.bin") == ReadFile(s / "inst/arsp/gross.bin"));
}

TEST(ZipPackerTest, LinksArePackedAsTheirTargetsAndWhatCannotBeIsReported) {
  ScratchDir s;
  for (const char* folder : {"inst", "daten", "daten/tief", "daten/.versteckt", "woanders"}) MakeDir(s / folder);
  WriteFile(s / "woanders/a.txt", "a");
  WriteFile(s / "daten/tief/b.txt", "b");
  ASSERT_EQ(symlink((s / "daten").c_str(), (s / "inst/arsp").c_str()), 0);  // the folder itself a link
  for (const auto& [target, link] : {std::pair{"../woanders", "daten/ordner"},
                                     {"../woanders/a.txt", "daten/datei"},
                                     {".", "daten/kreis"},
                                     {"..", "daten/tief/zurueck"},
                                     {"fehlt", "daten/weg"},
                                     {"../woanders", "daten/.punkt"}})
    ASSERT_EQ(symlink(target, (s / link).c_str()), 0) << link;
  ASSERT_EQ(mkfifo((s / "daten/rohr").c_str(), 0600), 0);

  std::vector<LeftOutEntry> leftOut;
  ASSERT_TRUE(Pack(s / "inst/arsp", s / "out.zip", 3, leftOut));
  EXPECT_EQ(test::EntryNames(s / "out.zip"),
            (std::set<std::string>{"arsp", "arsp\\tief", "arsp\\tief\\b.txt", "arsp\\ordner", "arsp\\ordner\\a.txt",
                                   "arsp\\datei"}));
  std::set<std::pair<std::string, LeftOutReason>> reported;
  for (const auto& entry : leftOut) reported.insert({entry.name, entry.reason});
  EXPECT_EQ(reported, (std::set<std::pair<std::string, LeftOutReason>>{{"arsp\\kreis", LeftOutReason::kLoop},
                                                                       {"arsp\\tief\\zurueck", LeftOutReason::kLoop},
                                                                       {"arsp\\weg", LeftOutReason::kMissingTarget},
                                                                       {"arsp\\rohr", LeftOutReason::kNotAFile}}));
}

// Info-ZIP reads the end records that the entry count needs (our archives read by Info-ZIP are
// otherwise ZipWriterTest's, through Python).
TEST(ZipPackerTest, SixtyFiveThousandEntriesOrMoreGetTheZip64EndRecords) {
  ScratchDir s;
  CFileSink sink;
  CZipPacker packer(sink, 2, s.Path());
  ASSERT_TRUE(sink.Open(s / "many.zip") && packer.Open());
  for (int i = 0; i < 70000; ++i) ASSERT_TRUE(packer.Add("ordner" + std::to_string(i), nullptr, UniqueFd()));
  ASSERT_TRUE(packer.Close() && sink.Close());
  EXPECT_EQ(CZipReader(s / "many.zip").EntryCount(), 70000u);
  EXPECT_EQ(test::RunCommand("unzip -tqq '" + s / "many.zip" + "'"), 0);
}

// A name that the file system lists after "d" in a folder made like those below, so that the walk
// needs each folder again after its deep subfolder (the order is the file system's: hash or age).
std::string NameListedAfterD(const std::string& probe) {
  MakeDir(probe);
  for (int i = 0; i < 20; ++i) WriteFile(probe + "/f" + std::to_string(i), "");
  MakeDir(probe + "/d");
  std::string name;
  bool seen = false;
  DirectoryListing listing(probe);
  while (const char* entry = listing.Next()) {
    if (seen && entry[0] == 'f' && name.empty()) name = entry;
    seen = seen || std::string(entry) == "d";
  }
  return name;
}

// Folders "d" nested depth deep below root, each beside a file listed after it; made relative to
// each other, as the path grows beyond PATH_MAX.
void MakeDeep(const std::string& root, int depth, const std::string& after) {
  MakeDir(root);
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth; ++i) {
    close(openat(fd, after.c_str(), O_WRONLY | O_CREAT, 0644));
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  close(openat(fd, "ende.txt", O_WRONLY | O_CREAT, 0644));
  close(fd);
}

TEST(ZipPackerTest, ATreeDeeperThanTheOpenFileLimitPacksWholeOrFails) {
  const struct {
    int depth;
    bool packs;
  } cases[] = {{300, true}, {2100, false}};  // 2100 levels: names > 4095
  for (const auto& c : cases) {
    ScratchDir s;
    const std::string after = NameListedAfterD(s / "probe");
    MakeDeep(s / "arsp", c.depth, after);
    const pid_t child = fork();
    if (child == 0) {
      const struct rlimit limit = {32, 32};
      std::vector<LeftOutEntry> leftOut;
      _exit(setrlimit(RLIMIT_NOFILE, &limit) == 0 && Pack(s / "arsp", s / "deep.zip", 2, leftOut) && leftOut.empty()
                ? 0
                : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.packs ? 0 : 1) << c.depth;
    EXPECT_TRUE(!c.packs || CZipReader(s / "deep.zip").EntryCount() == 2 * static_cast<uint64_t>(c.depth) + 2);
    ASSERT_EQ(test::RunCommand("rm -rf '" + s / "arsp" + "'"), 0);  // deeper than a path can name
  }
}

}  // namespace
}  // namespace orn
