#include <filesystem>
#include <functional>
#include <string>

#include "config/ConfigHolder.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "tiloconf/RecordBuilder.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

using test::Addresses;
using test::IsolatedTest;
using test::RecordBuilder;
using test::ThrownText;
using test::Users;

constexpr const char* kCode = "A7K2QXM4P9ZRT3CW8N";
constexpr const char* kOtherCode = "ZZZ111YYY222XXX333";

class ConfigHolderTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    test::WriteCodes(HivePath(), kCode);
  }
  std::string Path(const char* name) const { return Scratch() / name; }
  // Saves a record built by fill as a file under the current product code.
  std::string SaveFile(const char* name, const std::function<void(RecordBuilder&)>& fill) {
    auto* record = new ConfigRecord{};
    RecordBuilder builder(record);
    fill(builder);
    ConfigHolder holder(record);
    holder.Save(Path(name).c_str(), true);
    return Path(name);
  }
  bool TempFolderEmpty() const { return std::filesystem::is_empty(Scratch() / "tmp"); }
};

TEST_F(ConfigHolderTest, FailedLoadKeepsItsRecord) {
  ConfigHolder holder(true);
  EXPECT_EQ(ThrownText([&] { holder.Load(Path("missing.cfg").c_str()); }), "Fehler beim Laden der Konfiguration");
  EXPECT_NE(holder.Record(), nullptr);
}

// Keep or overwrite (names compare ignoring case), users or the mail part left out.
TEST_F(ConfigHolderTest, MergeBySelection) {
  const std::string target = SaveFile("target.cfg", [](RecordBuilder& b) {
    b.User("alice", "a1", "alice@x.de").User("bob", "b1").Address("alice@x.de", {"alice"});
  });
  const std::string source = SaveFile("source.cfg", [](RecordBuilder& b) {
    b.User("ALICE", "a2", "ALICE@X.DE").User("carol", "c1").Address("ALICE@X.DE", {"carol"});
    b.Address("carol@x.de", {"carol"});
  });
  using Lines = std::vector<std::string>;
  const struct {
    ImportSelection selection;
    bool overwrite;
    Lines users, addresses;
  } cases[] = {
      // clang-format off
      {{}, true, {"ALICE:a2:ALICE@X.DE", "bob:b1:", "carol:c1:"}, {"ALICE@X.DE=carol", "carol@x.de=carol"}},
      {{.emailAddresses = true, .users = false}, false, {"alice:a1:alice@x.de", "bob:b1:"},
       {"alice@x.de=alice", "carol@x.de=carol"}},
      {{.emailAddresses = false, .users = true}, false, {"alice:a1:alice@x.de", "bob:b1:", "carol:c1:"},
       {"alice@x.de=alice"}},
      // clang-format on
  };
  ConfigHolder other(source.c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.selection.emailAddresses << c.selection.users << c.overwrite);
    ConfigHolder installed(target.c_str());
    installed.Merge(other, c.selection, c.overwrite);
    EXPECT_EQ(Users(installed.Record()), c.users);
    EXPECT_EQ(Addresses(installed.Record()), c.addresses);
  }
  // The source itself is left as it was.
  EXPECT_EQ(Users(other.Record()), (Lines{"ALICE:a2:ALICE@X.DE", "carol:c1:"}));
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(ConfigHolderTest, CheckAndConvertReportsTheFailingCallAndRestoresTheWorkingRecord) {
  TILOCONF_general sentinel{};
  TILOCONF_config.general = &sentinel;
  for (const auto& [second, thrown] : {std::pair{"PPP", "(nothing thrown)"}, {"dsl", "check_inetconfig() failed"}}) {
    const char* provider = second;
    ConfigHolder holder(
        SaveFile("a.cfg", [&](RecordBuilder& b) { b.Provider("DSL", "p").Provider(provider, "q"); }).c_str());
    EXPECT_EQ(ThrownText([&] { holder.CheckAndConvert(); }), thrown);
    EXPECT_EQ(TILOCONF_config.general, &sentinel);
  }
  TILOCONF_config.general = nullptr;
}

// Passwords under another code are the library's (PasswordCipherTest); the holder sets that code as
// the old one for the load and puts the value back as it was, or removes it.
TEST_F(ConfigHolderTest, ProductCodeOfAnotherInstallation) {
  const auto oldCode = [] {
    RegistryKey key;
    std::string old;
    return key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead) && key.GetString(kValueOldCDKey, old)
               ? old
               : "<none>";
  };
  test::WriteCodes(HivePath(), kOtherCode);
  const std::string path = SaveFile("other.cfg", [](RecordBuilder& b) { b.User("anna", "Geheim-2025"); });
  test::WriteCodes(HivePath(), kCode);
  ConfigHolder holder(true);
  EXPECT_EQ(ThrownText([&] { holder.LoadWithProductCode(Path("missing.cfg").c_str(), kOtherCode); }),
            "Fehler beim Laden der Konfiguration");
  EXPECT_EQ(oldCode(), "<none>");
  test::WriteCodes(HivePath(), kCode, "PREVIOUS");
  holder.LoadWithProductCode(path.c_str(), kOtherCode);
  EXPECT_EQ(Users(holder.Record()), std::vector<std::string>{"anna:Geheim-2025:"});
  EXPECT_EQ(oldCode(), "PREVIOUS");

  std::filesystem::remove(HivePath());
  EXPECT_EQ(ThrownText([&] { holder.LoadWithProductCode(path.c_str(), kOtherCode); }), "registry could not be opened.");
}

TEST_F(ConfigHolderTest, LoadCurrentConfig) {
  EXPECT_EQ(ThrownText([] { LoadCurrentConfig(); }), "Die Registry konnte nicht gelesen werden");
  const std::string install = Scratch() / "orn";
  std::filesystem::create_directories(install);
  {
    RegistryKey key(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess);
    key.SetString(kValueInstallDirectory, install);
  }
  EXPECT_EQ(ThrownText([] { LoadCurrentConfig(); }), "Fehler beim Laden der Konfiguration");
  SaveFile("orn/orn.cfg", [](RecordBuilder& b) { b.User("anna", "pw"); });
  ConfigHolder installed(LoadCurrentConfig());
  EXPECT_EQ(Users(installed.Record()), std::vector<std::string>{"anna:pw:"});
}

TEST_F(ConfigHolderTest, TemporaryFolderWithoutRoomForANameFailsTheMerge) {
  const std::string path = SaveFile("a.cfg", [](RecordBuilder& b) { b.User("anna", "pw"); });
  ConfigHolder source(path.c_str());
  setenv("TEMP", (Scratch().Path() + "/" + std::string(230, 't')).c_str(), 1);
  ConfigHolder target(path.c_str());
  EXPECT_EQ(ThrownText([&] { target.Merge(source, {}, false); }), "GetTempFilepath() failed");
}

}  // namespace
}  // namespace orn
