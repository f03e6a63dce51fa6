// The LDAP provider, loaded as the programs load it, against a real slapd whose size limit (500)
// is far below the directory's 2,000 users.
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DirectoryTestData.h"
#include "ads/AdsStrings.h"
#include "ads/ComObject.h"
#include "support/Slapd.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::Names;
using test::Slapd;

std::string ReadFailure(const std::string& server) {
  return test::ThrownText([&] { ReadLdapUsers(server); });
}

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

  // The object a path binds, through the module's own ADsGetObject.
  ads::ComPtr<ads::IADs> Bind(const std::string& path) {
    if (!module_) module_ = DirectoryModule::Load();
    ads::IADs* object = nullptr;
    const std::u16string wide = ads::Utf8ToUtf16(path);
    module_->GetObject(wide.c_str(), ads::IID_IADs, reinterpret_cast<void**>(&object));
    return ads::ComPtr<ads::IADs>(object);
  }
  // "<get_Name> <get_Class>" as UTF-8.
  static std::string NameAndClass(ads::IADs& object) {
    std::string texts;
    for (auto member : {&ads::IADs::get_Name, &ads::IADs::get_Class}) {
      ads::BSTR text = nullptr;
      (object.*member)(&text);
      texts += (texts.empty() ? "" : " ") + ads::BstrToUtf8(text);
      ads::SysFreeString(text);
    }
    return texts;
  }
  static ads::HRESULT Get(ads::IADs& object, const std::string& attribute, std::string* value) {
    ads::VARIANT v;
    ads::VariantInit(&v);
    const ads::HRESULT hr = object.Get(ads::Utf8ToUtf16(attribute).c_str(), &v);
    if (v.vt == ads::VT_BSTR) *value = ads::BstrToUtf8(v.bstrVal);
    ads::VariantClear(&v);
    return hr;
  }

  static std::unique_ptr<Slapd> server_;
  std::shared_ptr<DirectoryModule> module_;
};

std::unique_ptr<Slapd> LdapDirectoryTest::server_;

TEST_F(LdapDirectoryTest, ReadsEveryUserPastTheSizeLimitDepthFirstInDirectoryOrder) {
  const DirectoryRead read = ReadLdapUsers(server_->HostPort());
  EXPECT_TRUE(read.status.complete) << read.status.reason;
  const ImportUserList& users = read.users;
  ASSERT_GT(users.Count(), 2000u);
  EXPECT_EQ(Names(users), test::ExpectedLdapUserNames());

  std::map<std::string, std::string> found;  // name -> full name and the addresses taken
  for (const ImportUser& user : users) {
    found[user.name] = user.fullName;
    for (const std::string& email : user.emails) found[user.name] += " " + email;
  }
  EXPECT_EQ(found["azentral"], "Anna Zentral anna.zentral@orn-test.de");  // the first value
  EXPECT_EQ(found["vertrieb0000"], "Person 0000 vertrieb");
  EXPECT_EQ(found["nord0001"], "nord 0001 nord0001@orn-test.de");  // from the RDN, CN= dropped
  EXPECT_EQ(found["HansMeier"], "Hans Meier");
  EXPECT_EQ(found["Müller"], "UID=jmueller joerg.mueller@orn-test.de");
}

TEST_F(LdapDirectoryTest, ObjectsCarryTheirStructuralClassRelativeNameAndTextAttributes) {
  auto root = Bind("LDAP://" + server_->HostPort());
  ASSERT_TRUE(root.Get());
  EXPECT_EQ(NameAndClass(*root), "DC=orn-test organization");  // dcObject is auxiliary

  // A path below the default naming context, one RDN a part, and the same object by its full DN.
  for (const std::string path : {"/OU=Vertrieb/OU=Nord", "/ou=Nord,ou=Vertrieb,dc=orn-test,dc=de"}) {
    auto north = Bind("LDAP://" + server_->HostPort() + path);
    ASSERT_TRUE(north.Get()) << path;
    EXPECT_EQ(NameAndClass(*north), "OU=Nord organizationalUnit");
  }
  EXPECT_FALSE(Bind("LDAP://" + server_->HostPort() + "/OU=Nirgends").Get());
  EXPECT_NE(module_->LastErrorText().find("No such object"), std::string::npos) << module_->LastErrorText();

  auto person = Bind("LDAP://" + server_->HostPort() + "/uid=jmueller");
  ASSERT_TRUE(person.Get());
  EXPECT_EQ(NameAndClass(*person), "UID=jmueller dominoPerson");
  std::string value;
  EXPECT_TRUE(Get(*person, "CN", &value) == ads::S_OK && value == "Jörg Müller");  // names ignore case
  EXPECT_EQ(Get(*person, "jpegPhoto", &value), ads::E_ADS_CANT_CONVERT_DATATYPE);
  EXPECT_EQ(Get(*person, "FullName", &value), ads::E_ADS_PROPERTY_NOT_FOUND);
}

TEST_F(LdapDirectoryTest, AnUnreachableServerIsConnectionFailed) {
  EXPECT_EQ(ReadFailure("127.0.0.1:1"), "connection failed");  // nobody listens on port 1
  EXPECT_NE(LastDirectoryFailureDetail().find("Can't contact LDAP server"), std::string::npos)
      << LastDirectoryFailureDetail();
  EXPECT_EQ(ReadFailure("bad host name"), "connection failed");
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
    EXPECT_EQ(ReadFailure(server_->HostPort()), "connection failed");
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
