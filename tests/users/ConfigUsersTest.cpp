#include <string>
#include <vector>

#include "config/ConfigHolder.h"
#include "tiloconf/RecordBuilder.h"
#include "users/ConfigUsers.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::List;
using test::RecordBuilder;
using test::ThrownText;
using test::User;

class ConfigUsersTest : public test::IsolatedTest {
 protected:
  std::string SaveConfig(const std::function<void(RecordBuilder&)>& fill) {
    auto* record = new ConfigRecord{};
    RecordBuilder builder(record);
    fill(builder);
    ConfigHolder holder(record);
    holder.Save(path_.c_str(), true);
    return path_;
  }
  ConfigRecord* Loaded() {
    holder_ = std::make_unique<ConfigHolder>(path_.c_str());
    return holder_->Record();
  }
  std::string path_ = Scratch() / "orn.cfg";
  std::unique_ptr<ConfigHolder> holder_;
};

TEST_F(ConfigUsersTest, ReadUsersGivesEachUserTheAddressesItOwns) {
  SaveConfig([](RecordBuilder& b) {
    b.User("anna", "x", nullptr, "Anna A").User("bernd", "y").User("carl", "z");
    b.Address("info@x.de", {"anna", "bernd"}).Address("anna@x.de", {"anna", "anna"}).Address("Bernd@x.de", {"BERND"});
  });
  const ImportUserList users = ReadUsers(path_.c_str());
  ASSERT_EQ(users.Count(), 3u);
  EXPECT_EQ(users[0].fullName, "Anna A");
  EXPECT_EQ(users[0].emails, (std::vector<std::string>{"info@x.de", "anna@x.de"}));
  EXPECT_EQ(users[1].emails, std::vector<std::string>{"info@x.de"});  // owners compare exactly
  EXPECT_TRUE(users[2].emails.empty());
  EXPECT_EQ(ThrownText([] { ReadUsers("/nonexistent/orn.cfg"); }), "opening config file failed");
}

TEST_F(ConfigUsersTest, AddUsersCleansSkipsAndTakesTheFirstAddress) {
  SaveConfig([](RecordBuilder& b) { b.User("Anna", "x").Address("anna@x.de", {"Anna"}); });
  const ImportUserList users = List({User("ANNA", "", {"other@x.de"}),  // exists in other letter case
                                     User("Jürgen Weiß", "Jürgen Weiß", {"jw@x.de", "j2@x.de", "j3@x.de"}),
                                     User("JRGENWEI", "", {"dup@x.de"}),  // finds the one just added
                                     User("öäü ", "", {""}),              // only dropped characters
                                     User("noaddress")});
  AddUsersReport report;
  EXPECT_EQ(AddUsers(path_.c_str(), users, &report), 0);
  EXPECT_EQ(report.added, 3u);
  EXPECT_EQ(report.skipped, 2u);

  ConfigRecord* record = Loaded();
  EXPECT_EQ(test::Users(record), (std::vector<std::string>{"Anna:x:", "JrgenWei::jw@x.de", "::", "noaddress::"}));
  ASSERT_NE(record->users->users->next->next->email, nullptr);  // an empty address is still stored
  EXPECT_EQ(record->users->users->next->next->next->email, nullptr);
  EXPECT_STREQ(record->users->users->next->fullname, "Jürgen Weiß");
  EXPECT_EQ(test::Addresses(record), (std::vector<std::string>{"anna@x.de=Anna", "jw@x.de=JrgenWei", "="}));
}

TEST_F(ConfigUsersTest, AFileThatDoesNotLoadIsLeftUnchanged) {
  const std::string damaged = "ORNCFG 1\n[users]\n[user]\nName=a\n";  // cut short
  test::WriteFile(path_, damaged);
  EXPECT_EQ(ThrownText([&] { AddUsers(path_.c_str(), List({User("new")})); }), "opening config file failed");
  EXPECT_EQ(test::ReadFile(path_), damaged);
}

}  // namespace
}  // namespace orn
