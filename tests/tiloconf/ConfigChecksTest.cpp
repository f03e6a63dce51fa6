// convert_* and check_* over TILOCONF_config: what fails, what is corrected, and that merged and
// imported configurations always pass.
#include <cstring>
#include <string>

#include "RecordBuilder.h"

namespace orn::test {
namespace {

class ConfigChecksTest : public IsolatedTest {
 protected:
  void TearDown() override {
    TILOCONF_config = ConfigRecord{};  // the records belong to the tests
    IsolatedTest::TearDown();
  }

  // Runs the four calls over record in the order the configuration holder uses; returns the name
  // of the first that fails, or "".
  static std::string RunAll(ConfigRecord* record) {
    TILOCONF_config = *record;
    const std::string failed = convert_inetconfig() < 0    ? "convert_inetconfig"
                               : convert_mailconfig(0) < 0 ? "convert_mailconfig"
                               : check_inetconfig(0) < 0   ? "check_inetconfig"
                               : check_mailconfig(0) < 0   ? "check_mailconfig"
                                                           : "";
    *record = TILOCONF_config;
    TILOCONF_config = ConfigRecord{};
    return failed;
  }

  static int CheckInet(ConfigRecord* record) {
    TILOCONF_config = *record;
    return check_inetconfig(0);
  }
  static int CheckMail(ConfigRecord* record) {
    TILOCONF_config = *record;
    return check_mailconfig(0);
  }

  HooksOff hooksOff_;
};

TEST_F(ConfigChecksTest, EachDamageFailsItsCheckWithItsResult) {
  struct Case {
    const char* what;
    int (*check)(ConfigRecord*);
    void (*damage)(ConfigRecord*);
    int result;
  };
  // The default provider is found ignoring case; none at all is fine too.
  // clang-format off
  const Case cases[] = {
      {"provider without name", CheckInet, [](ConfigRecord* r) { AddProvider(r, nullptr, "x"); }, -1},
      {"provider with empty name", CheckInet, [](ConfigRecord* r) { AddProvider(r, "", "x"); }, -1},
      {"two providers of one name", CheckInet, [](ConfigRecord* r) { AddProvider(r, "ARCOR", "x"); }, -2},
      {"unknown default", CheckInet, [](ConfigRecord* r) { r->inet->defaultprovider = strdup("Telekom"); }, -3},
      {"proxy port too large", CheckInet, [](ConfigRecord* r) { r->inet->proxyport = 65536; }, -4},
      {"negative proxy port", CheckInet, [](ConfigRecord* r) { r->inet->proxyport = -1; }, -4},
      {"negative idle timeout", CheckInet, [](ConfigRecord* r) { r->inet->idletimeout = -1; }, -5},
      {"address kind 0", CheckMail, [](ConfigRecord* r) { r->mail->addresses->kind = 0; }, -1},
      {"address kind 5", CheckMail, [](ConfigRecord* r) { r->mail->addresses->kind = 5; }, -1},
      {"account without server", CheckMail, [](ConfigRecord* r) { AddAccount(r, nullptr, "l", "p", nullptr); }, -2},
      {"account with empty server", CheckMail, [](ConfigRecord* r) { AddAccount(r, "", "l", "p", nullptr); }, -2},
      {"account port too large", CheckMail, [](ConfigRecord* r) { r->mail->accounts->port = 70000; }, -3},
      {"negative SMTP port", CheckMail, [](ConfigRecord* r) { r->mail->smtpport = -25; }, -4},
      {"negative poll interval", CheckMail, [](ConfigRecord* r) { r->mail->pollinterval = -1; }, -5},
      {"ARCOR as default", CheckInet, [](ConfigRecord* r) { r->inet->defaultprovider = strdup("ARCOR"); }, 0},
      {"empty default provider", CheckInet, [](ConfigRecord* r) { r->inet->defaultprovider = strdup(""); }, 0},
      {"largest proxy port", CheckInet, [](ConfigRecord* r) { r->inet->proxyport = 65535; }, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    Record record;
    AddProvider(record.get(), "Arcor", "p");
    AddAccount(record.get(), "pop.example.net", "info", "p", nullptr);
    AddAddress(record.get(), TILOCONF_ADDR_CATCHALL, "x@example.org", {"x"});
    EXPECT_EQ(c.check(record.get()), 0) << c.what;
    c.damage(record.get());
    EXPECT_EQ(c.check(record.get()), c.result) << c.what;
  }
}

TEST_F(ConfigChecksTest, ConversionsFillDefaultsAndTidyOwners) {
  Record record;
  AddProvider(record.get(), "Arcor", "p");
  record->inet->idletimeout = -30;
  AddAccount(record.get(), "pop.example.net", "info", "p", nullptr);
  AddAccount(record.get(), "pop.example.net", "other", "p", nullptr)->port = 995;
  AddAddress(record.get(), 0, "a@example.org", {"anna", "bob", "anna", "Anna", "bob"});
  AddAddress(record.get(), TILOCONF_ADDR_FORWARD, "f@example.org", {});
  record->mail->pollinterval = 60;
  EXPECT_EQ(RunAll(record.get()), "");

  // proxy port, idle timeout, SMTP port, polling, the accounts' ports, the addresses' kinds
  const auto* mail = record->mail;
  EXPECT_EQ(std::vector<intptr_t>({record->inet->proxyport, record->inet->idletimeout, mail->smtpport,
                                   mail->pollinterval, mail->accounts->port, mail->accounts->next->port,
                                   mail->addresses->kind, mail->addresses->next->kind}),
            std::vector<intptr_t>({8080, 0, 25, 60, 110, 995, TILOCONF_ADDR_MAILBOX, TILOCONF_ADDR_FORWARD}));
  EXPECT_EQ(Addresses(record.get()), (std::vector<std::string>{"a@example.org=anna,bob,Anna", "f@example.org="}));

  Record defaults;
  defaults->mail = static_cast<TILOCONF_mailpart*>(calloc(1, sizeof(TILOCONF_mailpart)));
  EXPECT_EQ(RunAll(defaults.get()), "");
  EXPECT_EQ(defaults->mail->pollinterval, 15);
}

TEST_F(ConfigChecksTest, MergedAndImportedConfigurationsPass) {
  Record empty;  // no parts at all
  EXPECT_EQ(RunAll(empty.get()), "");

  // Users added from directories and delimited files: empty and repeated names, an empty address
  // whose owner is an empty name, an address owned by nobody who exists.
  Record installed;
  FillFullRecord(installed.get());
  installed->inet->proxyport = 0;
  installed->mail->addresses->next->next->kind = TILOCONF_ADDR_MAILBOX;
  ASSERT_EQ(RunAll(installed.get()), "");
  for (const char* name : {"", "", "bob", "BOB"}) {
    AddUser(installed.get(), name, nullptr, "");
    AddAddress(installed.get(), TILOCONF_ADDR_MAILBOX, "", {name});
  }
  EXPECT_EQ(RunAll(installed.get()), "");

  // Another installation's valid file merged in, keeping and overwriting.
  Record other;
  AddProvider(other.get(), "ARCOR", "q");
  AddProvider(other.get(), "Versatel", "q");
  other->inet->defaultprovider = strdup("Versatel");
  AddAccount(other.get(), "pop.other.net", "x", "q", "q2");
  AddAddress(other.get(), TILOCONF_ADDR_FORWARD, "nobody@other.net", {"ghost"});
  AddUser(other.get(), "", "q");
  ASSERT_EQ(RunAll(other.get()), "");
  const std::string path = Scratch() / "other.cfg";
  for (bool overwrite : {false, true}) {
    ASSERT_EQ(TILOCONF_varsave(path.c_str(), other.get()), 0);
    ASSERT_EQ((overwrite ? TILOCONF_varload_overwrite : TILOCONF_varload_merge)(path.c_str(), installed.get()), 0);
    EXPECT_EQ(RunAll(installed.get()), "") << overwrite;
  }
}

}  // namespace
}  // namespace orn::test
