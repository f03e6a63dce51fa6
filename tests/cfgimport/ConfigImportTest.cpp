// The configuration import against a demo installation: its own configuration, and a branch
// office's file written under another product code.
#include <string>

#include "cfgimport/ConfigImport.h"
#include "tiloconf/RecordBuilder.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

constexpr const char* kBranchCode = "B3M7N1P5Q9R2S6T4V8";

struct ScriptedPrompt : ProductCodePrompt {
  explicit ScriptedPrompt(std::optional<std::string> answer) : answer(std::move(answer)) {}
  std::optional<std::string> AskProductCode() override { return ++asked, answer; }
  std::optional<std::string> answer;
  int asked = 0;
};

class ConfigImportTest : public test::DemoTest {
 protected:
  void SetUp() override {
    DemoTest::SetUp();
    installed_ = test::ReadFile(Installed());
  }
  std::string Branch() const { return demo_ + "/import/filiale.cfg"; }
  ConfigImportResult Import(const std::string& path, ProductCodePrompt& prompt, ImportSelection selection = {},
                            bool overwrite = false) {
    ConfigImportRequest request{path, selection, overwrite, false, [] { ++stops; }};
    return ImportConfiguration(request, prompt);
  }
  // The installed configuration as it is on disk now.
  std::unique_ptr<ConfigHolder> Load() { return std::make_unique<ConfigHolder>(Installed().c_str()); }
  const TILOCONF_user* FindUser(const ConfigRecord* record, const char* name) {
    for (const TILOCONF_user* u = record->users->users; u; u = u->next)
      if (strcmp(u->name, name) == 0) return u;
    return nullptr;
  }

  std::string installed_;
  static inline int stops = 0;
};

// Overwriting reaches the merge: the dry run below shows it.
TEST_F(ConfigImportTest, OtherProductCodeIsAskedFor) {
  ScriptedPrompt prompt(kBranchCode);
  const ConfigImportResult result = Import(Branch(), prompt);
  ASSERT_EQ(result.outcome, ConfigImportOutcome::Imported) << result.message;
  EXPECT_EQ(result.message, "Die Konfigurationsdaten wurden erfolgreich importiert.");
  EXPECT_EQ(prompt.asked, 1);
  EXPECT_EQ(result.report.usersKept, (std::vector<std::string>{"amueller", "bschmidt"}));
  EXPECT_STREQ(FindUser(Load()->Record(), "kfranke")->password, "Katrin!77");  // readable
}

TEST_F(ConfigImportTest, WrongOrNoProductCodeWritesNothing) {
  ScriptedPrompt wrong("A7K2QXM4P9ZRT3CW8X");
  ConfigImportResult result = Import(Branch(), wrong);
  EXPECT_EQ(result.outcome, ConfigImportOutcome::WrongProductCode);
  EXPECT_EQ(result.message,
            "Die ausgewählte Konfigurationsdatei konnte mit der angegebenen Produkt-ID nicht geladen werden. "
            "Dadurch ist ein Import der Konfigurationsdaten nicht möglich.");
  ScriptedPrompt cancel(std::nullopt);
  result = Import(Branch(), cancel);
  EXPECT_EQ(result.outcome, ConfigImportOutcome::Cancelled);
  EXPECT_EQ(test::ReadFile(Installed()), installed_);
}

// A file under this installation's own code: its passwords read at once, no question asked. The
// selection reaches the merge (whose rules ConfigHolderTest covers).
TEST_F(ConfigImportTest, OwnFileWithASelection) {
  const std::string own = Scratch() / "own.cfg";
  {
    ConfigHolder holder(new ConfigRecord{});
    test::RecordBuilder(holder.Record()).User("neu", "pw").Address("neu@firma-demo.de", {"neu"});
    holder.Save(own.c_str(), true);
  }
  ScriptedPrompt prompt(std::nullopt);
  ASSERT_EQ(Import(own, prompt, {.emailAddresses = false, .users = true}).outcome, ConfigImportOutcome::Imported);
  auto holder = Load();
  EXPECT_NE(FindUser(holder->Record(), "neu"), nullptr);
  EXPECT_EQ(test::Addresses(holder->Record()).size(), 32u);
  EXPECT_EQ(prompt.asked, 0);
}

TEST_F(ConfigImportTest, FilesThatHoldNoConfiguration) {
  const std::string empty = Scratch() / "empty.cfg";
  {
    ConfigHolder holder(new ConfigRecord{});
    holder.Save(empty.c_str(), true);
  }
  ScriptedPrompt prompt(std::nullopt);
  ConfigImportResult result = Import(empty, prompt);
  EXPECT_EQ(result.outcome, ConfigImportOutcome::NotAConfiguration);
  EXPECT_EQ(result.message,
            "Bei der ausgewählten Datei handelt es sich nicht um eine gültige ORN!-Konfigurationsdatei.");
  test::WriteFile(Scratch() / "foreign.cfg", "[Settings]\nName=x\n");
  result = Import(Scratch() / "foreign.cfg", prompt);
  EXPECT_EQ(result.outcome, ConfigImportOutcome::Failed);
  EXPECT_EQ(
      result.message,
      "Die Konfigurationsdaten konnten nicht importiert werden.\nFehlermeldung: Fehler beim Laden der Konfiguration");
  EXPECT_EQ(test::ReadFile(Installed()), installed_);
}

TEST_F(ConfigImportTest, DryRunReportsAndWritesNothing) {
  ScriptedPrompt prompt(kBranchCode);
  stops = 0;
  ConfigImportRequest request{Branch(), {}, true, true, [] { ++stops; }};
  const ConfigImportResult result = ImportConfiguration(request, prompt);
  ASSERT_EQ(result.outcome, ConfigImportOutcome::Imported) << result.message;
  EXPECT_EQ(stops, 0);
  EXPECT_EQ(result.report.usersReplaced, (std::vector<std::string>{"amueller", "bschmidt"}));
  EXPECT_EQ(test::ReadFile(Installed()), installed_);
}

// The stop's own failures are the server stop's (tests/install); here a failed stop leaves the
// file and reaches the user with the import's sentence.
TEST_F(ConfigImportTest, AFailedStopLeavesTheFileUnchanged) {
  ScriptedPrompt prompt(kBranchCode);
  ConfigImportRequest request{Branch(), {}, false, false, [] { throw MessageError("gestoppt?"); }};
  const ConfigImportResult result = ImportConfiguration(request, prompt);
  EXPECT_EQ(result.outcome, ConfigImportOutcome::Failed);
  EXPECT_EQ(result.message, "Die Konfigurationsdaten konnten nicht importiert werden.\nFehlermeldung: gestoppt?");
  EXPECT_EQ(test::ReadFile(Installed()), installed_);
}

}  // namespace
}  // namespace orn
