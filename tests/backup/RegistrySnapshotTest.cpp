// "reg.cfg" through the real hive: thirteen CR LF lines by position, short and missing files.
#include "backup/RegistrySnapshot.h"

#include <stdexcept>

#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "install/TaskValues.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

using test::ReadFile;
using test::WriteFile;

class RegistrySnapshotTest : public test::IsolatedTest {
 protected:
  std::string Value(const char* name) {
    RegistryKey key;
    std::string text = "<missing>";
    if (key.Open(RegistryRoot::LocalMachine, kProductKey, kKeyRead) && !key.GetString(name, text)) text = "<missing>";
    return text;
  }
  std::string Folder() const { return Scratch() / "tmp"; }
  std::string Snapshot() const { return Folder() + "/reg.cfg"; }
};

TEST_F(RegistrySnapshotTest, WritesThirteenLinesByPositionAndReadsThemBack) {
  test::WriteInstallationHive(HivePath(), {{"Task_DNS", "1"}, {"Task_WATCH", "watch on"}, {"Other", "x"}});
  WriteRegistrySnapshot(Folder());
  EXPECT_EQ(ReadFile(Snapshot()), "\r\n\r\n\r\n1\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nwatch on\r\n");

  test::WriteInstallationHive(HivePath(), {{"Task_CAPI", "changed"}, {"Task_DNS", "0"}});
  ASSERT_TRUE(ReadRegistrySnapshot(Folder()));
  EXPECT_EQ(Value("Task_DNS"), "1");
  EXPECT_EQ(Value("Task_WATCH"), "watch on");
  EXPECT_EQ(Value("Task_CAPI"), "");  // an empty line sets an empty string, it deletes nothing
}

TEST_F(RegistrySnapshotTest, AValueWithALineBreakKeepsTheLinesInPlace) {
  test::WriteInstallationHive(HivePath(), {});
  {
    RegistryKey key(RegistryRoot::LocalMachine, kProductKey, kKeyAllAccess);
    ASSERT_TRUE(key.SetString("Task_CRON", "first\r\nsecond"));
    ASSERT_TRUE(key.SetString("Task_DHCP", "3"));
  }
  WriteRegistrySnapshot(Folder());
  std::string expected = "\r\nfirst\r\n3\r\n";  // one line each, the others in place
  for (int i = 0; i < 10; ++i) expected += "\r\n";
  EXPECT_EQ(ReadFile(Snapshot()), expected);
}

TEST_F(RegistrySnapshotTest, ShortFilesFillTheRestByHowTheyEnd) {
  test::WriteInstallationHive(HivePath(), {});
  // Only the CR before the line end goes.
  for (const auto& [text, first] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"a\r\nb\r\n", {"a", "b"}}, {"", {}}, {"in\rside\nlf only\r\n", {"in\rside", "lf only"}}}) {
    WriteFile(Snapshot(), text);
    std::vector<std::string> expected = first;
    expected.resize(13);
    EXPECT_EQ(ReadRegistrySnapshotLines(Folder()), expected) << text;
  }
  WriteFile(Snapshot(), "a\r\nlast");  // no line break after the last line
  ASSERT_TRUE(ReadRegistrySnapshot(Folder()));
  EXPECT_EQ(Value("Task_CAPI"), "a");
  EXPECT_EQ(Value("Task_CRON"), "last");
  EXPECT_EQ(Value("Task_WATCH"), "last");
}

TEST_F(RegistrySnapshotTest, AMissingFileWritesNothing) {
  test::WriteInstallationHive(HivePath(), {{"Task_DNS", "1"}});
  const std::string before = ReadFile(HivePath());
  EXPECT_FALSE(ReadRegistrySnapshot(Folder()));
  EXPECT_EQ(ReadFile(HivePath()), before);
  EXPECT_THROW(WriteRegistrySnapshot(Scratch() / "no-such-folder"), std::runtime_error);
}

}  // namespace
}  // namespace orn
