#include <cstring>
#include <string>

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "support/TestSupport.h"
#include "tiloconf/tiloconf.h"

namespace orn {
namespace {

using test::IsolatedTest;
using test::ThrownText;
using test::WriteInstallationHive;

class InstallPathsTest : public IsolatedTest {};

TEST_F(InstallPathsTest, MissingKeyOrValueThrowsTheRegistryTexts) {
  char buffer[260];
  EXPECT_EQ(ThrownText([&] { GetInstallDirectory(buffer, sizeof buffer); }),
            "Die Registry konnte nicht geöffnet werden");
  EXPECT_EQ(ThrownText([&] { ReadConfigPassword(buffer, sizeof buffer); }),
            "Die Registry konnte nicht geöffnet werden");
  WriteInstallationHive(HivePath(), {{"Task_DNS", "1"}});
  EXPECT_EQ(ThrownText([&] { GetInstallDirectory(buffer, sizeof buffer); }),
            "Die Registry konnte nicht gelesen werden");
  EXPECT_EQ(ThrownText([&] { GetCurrentConfigPath(buffer, sizeof buffer); }),
            "Die Registry konnte nicht gelesen werden");
}

TEST_F(InstallPathsTest, DamagedHiveCountsAsNotOpened) {
  test::WriteFile(HivePath(), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\n\"broken\n");
  char buffer[260];
  EXPECT_EQ(ThrownText([&] { GetInstallDirectory(buffer, sizeof buffer); }),
            "Die Registry konnte nicht geöffnet werden");
}

TEST_F(InstallPathsTest, BufferSizesAtTheLimit) {
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/opt/orn"}});  // 8 characters
  char buffer[260];
  EXPECT_EQ(GetInstallDirectory(buffer, 8), -1);  // no room for the NUL
  EXPECT_EQ(GetInstallDirectory(buffer, 9), 9);
  EXPECT_STREQ(buffer, "/opt/orn");
  EXPECT_EQ(GetCurrentConfigPath(buffer, 17), -1);
  EXPECT_EQ(GetCurrentConfigPath(buffer, 18), 9);
  EXPECT_STREQ(buffer, "/opt/orn/orn.cfg");
}

TEST_F(InstallPathsTest, TrailingSeparatorIsDropped) {
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/opt/orn/"}});
  char buffer[260];
  GetCurrentConfigPath(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "/opt/orn/orn.cfg");
}

TEST_F(InstallPathsTest, ValueFormsKeepTheBufferFunctionsFailures) {
  EXPECT_EQ(ThrownText([] { InstallDirectory(); }), "Die Registry konnte nicht geöffnet werden");
  EXPECT_EQ(FindInstallDirectory(), std::nullopt);
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/opt/orn/"}});
  EXPECT_EQ(FindInstallDirectory(), "/opt/orn");
  EXPECT_EQ(CurrentConfigPath(), "/opt/orn/orn.cfg");
  // 251 characters fit the directory's buffer but leave no room for "/orn.cfg".
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/" + std::string(250, 'd')}});
  EXPECT_EQ(InstallDirectory().size(), 251u);
  EXPECT_EQ(ThrownText([] { CurrentConfigPath(); }), "GetCurrentConfigPath() failed");
}

TEST_F(InstallPathsTest, SettingsPasswordPlainEncipheredAndAbsent) {
  char buffer[260];
  WriteInstallationHive(HivePath(), {{"CDKey", "A7K2QXM4P9ZRT3CW8N"}});
  EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), 0);

  WriteInstallationHive(HivePath(), {{"CDKey", "A7K2QXM4P9ZRT3CW8N"}, {"ConfigPassword", ""}});
  EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), 0);

  WriteInstallationHive(HivePath(), {{"ConfigPassword", "x"}});
  EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), 1);

  for (size_t length : {79u, 81u}) {
    const std::string plain(length, 'p');
    WriteInstallationHive(HivePath(), {{"ConfigPassword", plain}});
    EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), static_cast<int>(length));
    EXPECT_EQ(std::string(buffer), plain);
  }

  WriteInstallationHive(HivePath(), {{"CDKey", "A7K2QXM4P9ZRT3CW8N"}});
  char stored[81];
  ASSERT_EQ(pwstringencrypt(" Geheim 1 ", stored, sizeof stored), 0);
  ASSERT_EQ(strlen(stored), 80u);
  WriteInstallationHive(HivePath(), {{"CDKey", "A7K2QXM4P9ZRT3CW8N"}, {"ConfigPassword", stored}});
  EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), 10);
  EXPECT_STREQ(buffer, " Geheim 1 ");
  // A small buffer gets a truncated password, never more than it holds.
  char small[4];
  EXPECT_EQ(ReadConfigPassword(small, sizeof small), 3);
  EXPECT_STREQ(small, " Ge");
}

class RegistryKeyTest : public IsolatedTest {};

TEST_F(RegistryKeyTest, ConstructorCreatesAMissingKey) {
  {
    RegistryKey key(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess);
    EXPECT_TRUE(key.IsOpen());
    EXPECT_TRUE(key.SetString("Task_DNS", "1"));
  }
  EXPECT_EQ(test::ReadFile(HivePath()).rfind("REGEDIT4", 0), 0u);
  RegistryKey key;
  ASSERT_TRUE(key.Open(RegistryRoot::LocalMachine, "software\\oska\\orn\\currentversion", kKeyRead));
  std::string text;
  EXPECT_TRUE(key.GetString("TASK_dns", text));
  EXPECT_EQ(text, "1");
}

TEST_F(RegistryKeyTest, EmptyAndMissingValues) {
  WriteInstallationHive(HivePath(), {{"Empty", ""}});
  RegistryKey key;
  ASSERT_TRUE(key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead));
  std::string text = "stale";
  EXPECT_TRUE(key.GetString("Empty", text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(key.GetString("Missing", text));
  EXPECT_EQ(text, "");
  // A key opened for reading refuses changes.
  EXPECT_FALSE(key.SetString("Empty", "x"));
  EXPECT_FALSE(key.DeleteValue("Empty"));
}

TEST_F(RegistryKeyTest, OpenDoesNotCreateAndADamagedHiveIsLeftAlone) {
  RegistryKey key;
  EXPECT_FALSE(key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess));
  EXPECT_FALSE(test::PathExists(HivePath()));
  const std::string damaged = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"a\"=\"unterminated\n";
  test::WriteFile(HivePath(), damaged);
  try {
    RegistryKey refused(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess);
    ADD_FAILURE() << "a damaged hive was opened";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "registry key could not be created.");
  }
  EXPECT_EQ(test::ReadFile(HivePath()), damaged);
}

}  // namespace
}  // namespace orn
