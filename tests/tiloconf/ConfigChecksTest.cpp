// convert_* and check_* over TILOCONF_config: what fails and what is corrected.
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
      {"provider with empty name", CheckInet, [](ConfigRecord* r) { AddProvider(r, "", "x"); }, -1},
      {"two providers of one name", CheckInet, [](ConfigRecord* r) { AddProvider(r, "ARCOR", "x"); }, -2},
      {"unknown default", CheckInet, [](ConfigRecord* r) { r->inet->defaultprovider = strdup("Telekom"); }, -3},
      {"proxy port too large", CheckInet, [](ConfigRecord* r) { r->inet->proxyport = 65536; }, -4},
      {"negative proxy port", CheckInet, [](ConfigRecord* r) { r->inet->proxyport = -1; }, -4},
      {"negative idle timeout", CheckInet, [](ConfigRecord* r) { r->inet->idletimeout = -1; }, -5},
      {"address kind 0", CheckMail, [](ConfigRecord* r) { r->mail->addresses->kind = 0; }, -1},
      {"address kind 5", CheckMail, [](ConfigRecord* r) { r->mail->addresses->kind = 5; }, -1},
      {"account without server", CheckMail, [](ConfigRecord* r) { AddAccount(r, nullptr, "l", "p", nullptr); }, -2},
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

  Record empty;  // no parts at all
  EXPECT_EQ(RunAll(empty.get()), "");
  Record defaults;
  defaults->mail = static_cast<TILOCONF_mailpart*>(calloc(1, sizeof(TILOCONF_mailpart)));
  EXPECT_EQ(RunAll(defaults.get()), "");
  EXPECT_EQ(defaults->mail->pollinterval, 15);
}

}  // namespace
}  // namespace orn::test
