#include <filesystem>
#include <string>

#include "platform/ProgramFiles.h"
#include "support/TestSupport.h"

namespace orn::platform {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFilesTest, BesideTheProgramFirstThenTheInstalledFolder) {
  const struct {
    bool beside, installed;
    const char* expected;  // relative to the scratch folder; empty: not found
  } cases[] = {{true, true, "usr/bin/libornads.so"}, {false, true, "usr/lib/orncfg/libornads.so"}, {false, false, ""}};
  for (const auto& c : cases) {
    test::ScratchDir scratch;
    fs::create_directories(scratch / "usr/bin");
    fs::create_directories(scratch / "usr/lib/orncfg");
    if (c.beside) test::WriteFile(scratch / "usr/bin/libornads.so", "b");
    if (c.installed) test::WriteFile(scratch / "usr/lib/orncfg/libornads.so", "i");
    const std::string found = FindProgramFile(scratch / "usr/bin", "libornads.so", "../lib/orncfg");
    EXPECT_EQ(found, *c.expected ? scratch / c.expected : "") << c.beside << c.installed;
  }
  test::ScratchDir scratch;
  fs::create_directories(scratch / "bin/x.so");
  EXPECT_EQ(FindProgramFile(scratch / "bin", "x.so", "."), "");  // a folder of that name is not the file
}

}  // namespace
}  // namespace orn::platform
