// orncfg-cli archive pack, list and extract, run as an administrator runs them.
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCommand;
using test::WriteFile;

class ArchiveCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(s_ / "inst/arsp/Unter Ordner");
    fs::create_directories(s_ / "inst/arsp/leer");
    WriteFile(s_ / "inst/orn.cfg", "cfg");
    WriteFile(s_ / "inst/arsp/Unter Ordner/Übung.txt", "übung");
    const timespec times[2] = {{0, UTIME_OMIT}, {946730096, 0}};  // 1 January 2000, 12:34:56 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, (s_ / "inst/orn.cfg").c_str(), times, 0), 0);
  }
  int Cli(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand("cd '" + s_.Path() + "' && TZ=UTC " ORN_CLI_BINARY " archive " + arguments + " 2>&1", output);
  }
  test::ScratchDir s_;
};

TEST_F(ArchiveCommandTest, PacksListsAndExtracts) {
  std::string output;
  ASSERT_EQ(Cli("pack out.zip inst orn.cfg arsp", &output), 0) << output;
  ASSERT_EQ(Cli("list out.zip", &output), 0) << output;
  EXPECT_NE(output.find("orn.cfg\t3\t01.01.2000 12:34:56\t0x00000020\n"), std::string::npos) << output;
  EXPECT_NE(output.find("arsp\\Unter Ordner\\Übung.txt\t6\t"), std::string::npos) << output;
  EXPECT_NE(output.find("arsp\\leer\t0\t"), std::string::npos) << output;

  ASSERT_EQ(Cli("extract out.zip 'ziel ordner'", &output), 0) << output;
  EXPECT_EQ(ReadFile(s_ / "ziel ordner/arsp/Unter Ordner/Übung.txt"), "übung");
  EXPECT_TRUE(fs::is_directory(s_ / "ziel ordner/arsp/leer"));

  ASSERT_EQ(Cli("pack flat.zip inst arsp --flat", &output), 0) << output;
  ASSERT_EQ(Cli("list flat.zip", &output), 0);
  EXPECT_NE(output.find("\nÜbung.txt\t6\t"), std::string::npos) << output;
}

TEST_F(ArchiveCommandTest, FailuresReportAndLeaveNothingHalfWritten) {
  std::string output;
  EXPECT_EQ(Cli("pack out.zip inst orn.cfg fehlt.txt", &output), 1);
  EXPECT_EQ(output, "Die Datei oder das Verzeichnis fehlt.txt ist nicht vorhanden.\n");
  WriteFile(s_ / "anderswo", "x");
  EXPECT_EQ(Cli("pack out.zip inst " + (s_ / "anderswo"), &output), 1);
  EXPECT_EQ(output, "Die Datei " + (s_ / "anderswo") + " konnte nicht gepackt werden.\n");
  EXPECT_EQ(Cli("pack out.zip fehlt orn.cfg", &output), 1);
  EXPECT_EQ(output, "Das Verzeichnis fehlt ist nicht vorhanden.\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(s_.Path()), fs::directory_iterator()), 2);  // inst, anderswo

  WriteFile(s_ / "kaputt.zip", "PK\3\4 not really");
  EXPECT_EQ(Cli("list kaputt.zip", &output), 1);
  EXPECT_EQ(output, "Das Archiv kaputt.zip konnte nicht geöffnet werden.\n");
  EXPECT_EQ(Cli("pack out.zip inst", &output), 2);
}

}  // namespace
}  // namespace orn
