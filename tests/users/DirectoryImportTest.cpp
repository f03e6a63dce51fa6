// Adding directory users to the installed configuration, the dry run, and narrowing the list.
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "users/DirectoryImport.h"
#include "users/DirectorySelection.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::List;
using test::Names;
using test::User;

using DirectoryImportTest = test::DemoTest;

TEST_F(DirectoryImportTest, AddsAfterTheServerStopAndSkipsNamesThatDifferOnlyInCase) {
  const ImportUserList users = List({User("AMUELLER", "Anna"), User("Jörg Müller", "Jörg Müller"), User("neu", "Neu")});
  int stops = 0;
  const DirectoryImportResult result = ImportDirectoryUsers(DirectorySource::kNetwork, users, [&] {
    ++stops;
    EXPECT_EQ(ReadUsers(Installed().c_str()).Count(), 36u);
  });
  EXPECT_TRUE(result.success);
  EXPECT_EQ(result.message, "Die Benutzer wurden erfolgreich importiert.");
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(result.report.added, 2u);
  EXPECT_EQ(ReadUsers(Installed().c_str()).Count(), 38u);
}

TEST_F(DirectoryImportTest, FailuresOfTheAddKeepTheConfigurationAndNameTheCause) {
  // The LDAP import's text has a semicolon after "Fehlermeldung", the network import's a colon.
  const std::string before = test::ReadFile(Installed());
  const struct {
    DirectorySource source;
    std::function<void()> stop;
    const char* message;
  } cases[] = {
      {DirectorySource::kNetwork, [] { throw MessageError("timeout"); },
       "Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung: timeout"},
      {DirectorySource::kLdap, [] { throw std::runtime_error("kaputt"); },
       "Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung; kaputt"},
  };
  for (const auto& c : cases) {
    const DirectoryImportResult result = ImportDirectoryUsers(c.source, List({User("neu", "Neu")}), c.stop);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.message, c.message);
  }
  EXPECT_EQ(test::ReadFile(Installed()), before);
}

TEST(DirectoryReadResultTest, EveryWayAReadEndsHasItsOutcomeAndText) {
  using Outcome = DirectoryReadResult::Outcome;
  const DirectoryReadStatus cut{false, ads::LdapResultFailure(4), "paged search of ou=x: Size limit exceeded"};
  const std::string cutText =
      "Der Verzeichnisdienst hat das Lesen vorzeitig beendet: es wurden nur 2 Benutzer gelesen.\n"
      "Grund: paged search of ou=x: Size limit exceeded (Code 0x80072004)";
  const struct {
    std::function<DirectoryRead()> read;
    Outcome outcome;
    size_t users;
    std::string message;
  } cases[] = {
      // clang-format off
      {[] { return DirectoryRead{List({User("a", "A")}), {}}; }, Outcome::kRead, 1, ""},
      {[&] { return DirectoryRead{List({User("a", "A"), User("b", "B")}), cut}; }, Outcome::kIncomplete, 2, cutText},
      {[] { return DirectoryRead{}; }, Outcome::kNoUsers, 0, "Keine Benutzer verfügbar."},
      {[] { return DirectoryRead{{}, {false, ads::E_FAIL, ""}}; }, Outcome::kNoUsers, 0,
       "Keine Benutzer verfügbar.\n\nDer Verzeichnisdienst hat das Lesen vorzeitig beendet: es wurden nur 0 "
       "Benutzer gelesen.\nGrund: unbekannt (Code 0x80004005)"},
      {[]() -> DirectoryRead { throw MessageError("connection failed"); }, Outcome::kFailed, 0,
       "Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung: connection failed"},
      {[]() -> DirectoryRead { throw 1; }, Outcome::kFailed, 0,
       "Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung: "},
      // clang-format on
  };
  for (const auto& c : cases) {
    const DirectoryReadResult result = ReadDirectoryUsers(c.read);
    EXPECT_EQ(result.outcome, c.outcome) << c.message;
    EXPECT_EQ(result.users.Count(), c.users) << c.message;
    EXPECT_EQ(result.message, c.message);
  }
}

TEST_F(DirectoryImportTest, TheDryRunWorksOnAPrivateCopyAndLeavesNothingBehind) {
  const std::string before = test::ReadFile(Installed());
  const DirectoryImportPreview preview = PreviewDirectoryUsers(
      List({User("bschmidt", "B"), User("Jörg Müller", "J"), User("neu", "N"), User("NEU", "N")}));
  EXPECT_EQ(preview.added, (std::vector<std::string>{"JrgMller", "neu"}));  // NEU finds neu
  EXPECT_EQ(preview.skipped, 2u);
  EXPECT_EQ(test::ReadFile(Installed()), before);
  EXPECT_TRUE(std::filesystem::is_empty(demo_ + "/tmp"));
}

TEST(DirectorySelectionTest, EachDeselectedEntryRemovesTheFirstRemainingMatch) {
  const ImportUserList users = List({User("a1", "Anna", {"a@x.de"}), User("a2", "Anna", {"a@x.de"}), User("a3", "Anna"),
                                     User("b", "Bernd", {"b@x.de", "c@x.de"})});
  EXPECT_EQ(NetworkEntryText(users[0]), "Anna (a@x.de)");
  EXPECT_EQ(NetworkEntryText(users[2]), "Anna");
  EXPECT_EQ(NetworkEntryText(users[3]), "Bernd (b@x.de)");

  EXPECT_EQ(Names(RemoveDeselectedUsers(users, {"Anna (a@x.de)", "Bernd (b@x.de)"}, &NetworkEntryText)),
            (std::vector<std::string>{"a2", "a3"}));
  EXPECT_EQ(Names(RemoveDeselectedUsers(users, {"Anna", "Anna"}, &SelectorEntryText)),
            (std::vector<std::string>{"a3", "b"}));
  EXPECT_EQ(Names(RemoveDeselectedUsers(users, {"anna", "Nobody"}, &SelectorEntryText)).size(), 4u);
  EXPECT_TRUE(RemoveDeselectedUsers(users, {"Anna", "Anna", "Anna", "Bernd"}, &SelectorEntryText).Empty());
}

TEST(DirectorySelectionTest, NumbersAndRangesSelectWithinTheList) {
  EXPECT_EQ(ParseUserSelection("1-3,5", 6), (std::vector<bool>{true, true, true, false, true, false}));
  EXPECT_EQ(ParseUserSelection(" 2 6 ,4-4\n", 6), (std::vector<bool>{false, true, false, true, false, true}));
  EXPECT_EQ(ParseUserSelection("", 3), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(ParseUserSelection("alle", 2), (std::vector<bool>{true, true}));
  for (const char* bad : {"0", "7", "3-2", "1-", "x", "2-99", "99999999999"})
    EXPECT_FALSE(ParseUserSelection(bad, 6).has_value()) << bad;
}

}  // namespace
}  // namespace orn
