// The writer: entry names, folder entries, times, attributes and data, checked from the outside
// by Info-ZIP's unzip and by Python's zipfile.
#include "files/ZipWriter.h"

#include <algorithm>
#include <unistd.h>

#include "files/TreeHelpers.h"

namespace orn {
namespace {

using test::EntryNames;
using test::MakeDir;
using test::RunCommand;
using test::ScratchDir;
using test::WriteFile;

class ZipWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst_ = s_ / "inst";
    for (const char* folder : {"", "/arsp", "/arsp/Übersicht mit Leerzeichen", "/arsp/Übersicht mit Leerzeichen/tief",
                               "/arsp/leer", "/arsp/.versteckt"})
      MakeDir(inst_ + folder);
    WriteFile(inst_ + "/orn.cfg", "cfg");
    WriteFile(inst_ + "/arsp/text.txt", std::string(50000, 'a'));
    WriteFile(inst_ + "/arsp/Übersicht mit Leerzeichen/grüße.bin", std::string("\0\377\1", 3));
    WriteFile(inst_ + "/arsp/Übersicht mit Leerzeichen/tief/leer.txt", "");
    WriteFile(inst_ + "/arsp/schreibgeschützt.cfg", "ro");
    ASSERT_EQ(chmod((inst_ + "/arsp/schreibgeschützt.cfg").c_str(), 0444), 0);
    WriteFile(inst_ + "/arsp/.punkt", "dot");
    WriteFile(inst_ + "/arsp/.versteckt/drin", "dot");
    ASSERT_EQ(symlink("/etc", (inst_ + "/arsp/zu-etc").c_str()), 0);
    ASSERT_EQ(symlink("/etc/hostname", (inst_ + "/arsp/zu-datei").c_str()), 0);
    ASSERT_EQ(mkfifo((inst_ + "/arsp/fifo").c_str(), 0600), 0);
    test::SetTime(inst_ + "/arsp/text.txt", 1234567891);  // an odd second
  }
  ScratchDir s_;
  std::string inst_;
};

TEST_F(ZipWriterTest, PacksATreeAsTheArchiveLayoutSaysAndOthersReadItRight) {
  const std::string archive = s_ / "out.zip";
  CZipWriter writer(archive, inst_);
  ASSERT_TRUE(writer.IsOpen());
  EXPECT_TRUE(writer.AddFile(inst_ + "/orn.cfg"));
  EXPECT_TRUE(writer.AddDirectory(inst_ + "/arsp"));
  EXPECT_FALSE(writer.AddFile(inst_ + "/arsp/zu-datei"));  // links are never packed
  EXPECT_FALSE(writer.AddFile(inst_ + "/arsp/fifo"));
  EXPECT_TRUE(writer.Close());

  struct stat st {};
  ASSERT_EQ(stat(archive.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(EntryNames(archive),
            (std::set<std::string>{"orn.cfg", "arsp", "arsp\\text.txt", "arsp\\leer", "arsp\\schreibgeschützt.cfg",
                                   "arsp\\Übersicht mit Leerzeichen", "arsp\\Übersicht mit Leerzeichen\\grüße.bin",
                                   "arsp\\Übersicht mit Leerzeichen\\tief",
                                   "arsp\\Übersicht mit Leerzeichen\\tief\\leer.txt"}));

  // One line per entry and one for the archive, each "<name>\tok"; the read-only file's attribute
  // word and every entry's time are among what the script checks.
  std::string report;
  ASSERT_EQ(RunCommand("python3 '" ORN_SOURCE_DIR "/tests/files/check_archive.py' '" + archive + "' '" + inst_ + "'",
                       &report),
            0);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 10) << report;
  size_t ok = 0;
  for (size_t at = 0; (at = report.find("\tok\n", at)) != std::string::npos; ++at) ++ok;
  EXPECT_EQ(ok, 10u) << report;
}

TEST_F(ZipWriterTest, NamesAreRelativeToTheBaseWhateverItsLetterCase) {
  const std::string archive = s_ / "names.zip";
  std::string upper = inst_;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  CZipWriter writer(archive, upper + "/");
  EXPECT_TRUE(writer.AddFile(inst_ + "/orn.cfg"));  // absolute, base spelt otherwise
  EXPECT_FALSE(writer.AddFile(s_ / "inst2/x"));     // shares only the prefix
  WriteFile(s_ / "outside.txt", "o");
  EXPECT_FALSE(writer.AddFile(s_ / "outside.txt"));  // outside the base
  writer.Close();

  CZipWriter relative(archive, inst_);
  EXPECT_TRUE(relative.AddFile("./orn.cfg"));
  EXPECT_FALSE(relative.AddFile("arsp/../../outside.txt"));
  EXPECT_TRUE(relative.AddFile("../outside.txt", true));  // flat: only the file name
  EXPECT_TRUE(relative.AddDirectory("arsp/Übersicht mit Leerzeichen/tief", true));
  EXPECT_TRUE(relative.Close());
  EXPECT_EQ(EntryNames(archive), (std::set<std::string>{"orn.cfg", "outside.txt", "tief", "leer.txt"}));
}

}  // namespace
}  // namespace orn
