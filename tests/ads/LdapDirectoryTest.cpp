// The LDAP provider, loaded as the programs load it, against a real slapd whose size limit (500)
// is far below the directory's 2,000 users.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DirectoryTestData.h"
#include "support/Slapd.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::Names;
using test::Slapd;

void ClearBinding() {
  unsetenv("ORN_LDAP_BINDDN");
  unsetenv("ORN_LDAP_PASSWORD_FILE");
  unsetenv("ORN_LDAP_STARTTLS");
}

class LdapDirectoryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<Slapd>(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::TestLdif(), false});
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override {
    setenv("ORN_ADS_MODULE", ORN_ADS_MODULE_FILE, 1);
    ClearBinding();
  }

  static std::unique_ptr<Slapd> server_;
};

std::unique_ptr<Slapd> LdapDirectoryTest::server_;

TEST_F(LdapDirectoryTest, ReadsEveryUserPastTheSizeLimitDepthFirstInDirectoryOrder) {
  const DirectoryRead read = ReadLdapUsers(server_->HostPort());
  EXPECT_TRUE(read.status.complete) << read.status.reason;
  const ImportUserList& users = read.users;
  ASSERT_GT(users.Count(), 2000u);
  EXPECT_EQ(Names(users), test::ExpectedLdapUserNames());
  // The fallbacks are DirectoryReaderTest's; here the first of several values, as the server sends it.
  for (const ImportUser& user : users) {
    if (user.name != "azentral") continue;
    EXPECT_EQ(user.emails, std::vector<std::string>{"anna.zentral@orn-test.de"});
  }
}

class ProtectedLdapDirectoryTest : public LdapDirectoryTest {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<Slapd>(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::TestLdif(), true});
  }
  void TearDown() override { ClearBinding(); }
  void BindAs(const std::string& dn, const std::string& password) {
    passwordFile_ = scratch_ / "password";
    test::WriteFile(passwordFile_, password + "\n");
    setenv("ORN_LDAP_BINDDN", dn.c_str(), 1);
    setenv("ORN_LDAP_PASSWORD_FILE", passwordFile_.c_str(), 1);
  }
  test::ScratchDir scratch_;
  std::string passwordFile_;
};

TEST_F(ProtectedLdapDirectoryTest, ReadsOnlyWithTheBindDnAndPasswordFileOfTheEnvironment) {
  // Anonymous, a wrong password (never shown), a password file that is not there.
  const struct {
    const char* password;  // null: no bind DN; "": the password file is missing
    const char* detail;    // what the module's explanation names; null: not checked
  } refused[] = {{nullptr, nullptr}, {"falsch-geheim", "Invalid credentials"}, {"", "ORN_LDAP_PASSWORD_FILE"}};
  for (const auto& c : refused) {
    ClearBinding();
    if (c.password) BindAs("cn=leser,dc=orn-test,dc=de", c.password);
    if (c.password && !*c.password) setenv("ORN_LDAP_PASSWORD_FILE", (scratch_ / "missing").c_str(), 1);
    EXPECT_EQ(test::ThrownText([] { ReadLdapUsers(server_->HostPort()); }), "connection failed");
    if (c.detail) {
      EXPECT_NE(LastDirectoryFailureDetail().find(c.detail), std::string::npos) << LastDirectoryFailureDetail();
    }
    EXPECT_EQ(LastDirectoryFailureDetail().find("falsch-geheim"), std::string::npos);
  }
  BindAs("cn=leser,dc=orn-test,dc=de", "lesen");
  EXPECT_EQ(Names(ReadLdapUsers(server_->HostPort()).users), test::ExpectedLdapUserNames());
}

}  // namespace
}  // namespace orn
