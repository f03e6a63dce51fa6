#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>
#include <string>

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "support/TestSupport.h"
#include "tiloconf/tiloconf.h"

namespace orn {
namespace {

using test::IsolatedTest;
using test::ThrownText;
using test::WriteInstallationHive;

class InstallPathsTest : public IsolatedTest {};

TEST_F(InstallPathsTest, MissingKeyOrValueThrowsTheRegistryTexts) {
  const std::string notOpened = "Die Registry konnte nicht geöffnet werden",
                    notRead = "Die Registry konnte nicht gelesen werden";
  const std::string noValue =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion]\n\"Task_DNS\"=\"1\"\n";
  char buffer[260];
  const std::function<void()> directory = [&] { GetInstallDirectory(buffer, sizeof buffer); };
  const std::tuple<std::string, std::function<void()>, std::string> cases[] = {
      {"", directory, notOpened},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\n\"broken\n", directory, notOpened},
      {noValue, directory, notRead},
      {noValue, [&] { GetCurrentConfigPath(buffer, sizeof buffer); }, notRead},
  };
  for (const auto& [hive, call, text] : cases) {
    std::filesystem::remove(HivePath());
    if (!hive.empty()) test::WriteFile(HivePath(), hive);
    EXPECT_EQ(ThrownText(call), text) << hive;
  }
  EXPECT_EQ(FindInstallDirectory(), std::nullopt);
}

TEST_F(InstallPathsTest, PathsAndBufferSizesAtTheLimit) {
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/opt/orn"}});  // 8 characters
  char buffer[260];
  EXPECT_EQ(GetInstallDirectory(buffer, 8), -1);  // no room for the NUL
  EXPECT_TRUE(GetInstallDirectory(buffer, 9) == 9 && std::string(buffer) == "/opt/orn");
  EXPECT_EQ(GetCurrentConfigPath(buffer, 17), -1);
  EXPECT_TRUE(GetCurrentConfigPath(buffer, 18) == 9 && std::string(buffer) == "/opt/orn/orn.cfg");
  // A trailing separator is dropped, in the buffer forms and the value forms.
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/opt/orn/"}});
  GetCurrentConfigPath(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "/opt/orn/orn.cfg");
  EXPECT_TRUE(FindInstallDirectory() == "/opt/orn" && CurrentConfigPath() == "/opt/orn/orn.cfg");
  // 251 characters fit the directory's buffer but leave no room for "/orn.cfg".
  WriteInstallationHive(HivePath(), {{"InstallDirectory", "/" + std::string(250, 'd')}});
  EXPECT_EQ(InstallDirectory().size(), 251u);
  EXPECT_EQ(ThrownText([] { CurrentConfigPath(); }), "GetCurrentConfigPath() failed");
}

TEST_F(InstallPathsTest, SettingsPasswordPlainEncipheredAndAbsent) {
  const std::string code = "A7K2QXM4P9ZRT3CW8N";
  WriteInstallationHive(HivePath(), {{"CDKey", code}});
  char stored[81];
  ASSERT_EQ(pwstringencrypt(" Geheim 1 ", stored, sizeof stored), 0);
  ASSERT_EQ(strlen(stored), 80u);
  const struct {
    std::optional<std::string> value;  // none: no value
    int result;
    std::string password;
  } cases[] = {{std::nullopt, 0, ""},
               {"", 0, ""},
               {"x", 1, "x"},
               {std::string(79, 'p'), 79, std::string(79, 'p')},
               {std::string(81, 'p'), 81, std::string(81, 'p')},
               {stored, 10, " Geheim 1 "}};
  for (const auto& c : cases) {
    // Plain passwords need no product code.
    std::vector<std::pair<std::string, std::string>> values;
    if (c.result == 0 || c.value == stored) values.emplace_back("CDKey", code);
    if (c.value) values.emplace_back("ConfigPassword", *c.value);
    WriteInstallationHive(HivePath(), values);
    char buffer[260] = "";
    EXPECT_EQ(ReadConfigPassword(buffer, sizeof buffer), c.result) << c.value.value_or("(none)");
    EXPECT_EQ(std::string(buffer), c.password);
  }
  // A small buffer gets a truncated password, never more than it holds.
  char small[4];
  EXPECT_EQ(ReadConfigPassword(small, sizeof small), 3);
  EXPECT_STREQ(small, " Ge");
}

}  // namespace
}  // namespace orn
