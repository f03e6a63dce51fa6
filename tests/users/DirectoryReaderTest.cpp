// The readers' walk against an in-process directory: order, recursion, fallbacks and failures.
#include <functional>
#include <string>
#include <vector>

#include "DirectoryFake.h"
#include "install/MessageError.h"
#include "support/TestSupport.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"

namespace orn {
namespace {

using test::ThrownText;

using test::FakeChild;
using test::FakeDirectory;

FakeChild Person(std::string name, std::map<std::string, std::string> attributes = {}) {
  return FakeChild{"dominoPerson", std::move(name), std::move(attributes)};
}
FakeChild Unit(std::string name) { return FakeChild{"organizationalUnit", std::move(name), {}}; }

std::vector<std::string> Names(const ImportUserList& users) {
  std::vector<std::string> names;
  for (const ImportUser& user : users) names.push_back(user.name);
  return names;
}

class DirectoryReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(FakeDirectory::LiveObjects(), 0) << "a directory object was not released"; }
  FakeDirectory directory_;
};

TEST_F(DirectoryReaderTest, WalksDepthFirstInDirectoryOrderThroughContainerClassesOnly) {
  directory_["LDAP://srv"].children = {
      Person("CN=a", {{"sn", "a"}}),
      Unit("OU=X"),
      Person("CN=d", {{"sn", "d"}}),
      FakeChild{"container", "CN=Hidden", {}},           // neither list: not walked into
      FakeChild{"dominoperson", "CN=e", {{"sn", "e"}}},  // class names compare exactly
      FakeChild{"dominoOrganization", "O=Filiale", {}},
      Person("CN=a", {{"sn", "a"}}),  // duplicates stay
  };
  directory_["LDAP://srv/OU=X"].children = {Person("CN=b", {{"sn", "b"}}), Unit("OU=Y"),
                                            Person("CN=c2", {{"sn", "c2"}})};
  directory_["LDAP://srv/OU=X/OU=Y"].children = {Person("CN=c", {{"sn", "c"}})};
  directory_["LDAP://srv/O=Filiale"].children = {Person("CN=f", {{"sn", "f"}}), FakeChild{"user", "CN=g", {}}};
  directory_["LDAP://srv/CN=Hidden"].children = {Person("CN=h", {{"sn", "h"}})};

  const ImportUserList users = ReadLdapUsers("srv", directory_.Module());
  EXPECT_EQ(Names(users), (std::vector<std::string>{"a", "b", "c", "c2", "d", "f", "a"}));
  EXPECT_EQ(directory_.BoundPaths(), (std::vector<std::string>{"LDAP://srv", "LDAP://srv/OU=X", "LDAP://srv/OU=X/OU=Y",
                                                               "LDAP://srv/O=Filiale"}));
}

TEST_F(DirectoryReaderTest, NamesFullNamesAndAddressesFallBackAsDescribed) {
  directory_["LDAP://srv"].children = {
      Person("CN=Hans Meier"),                                            // nothing but its name
      Person("Eva Maria Lang", {{"FullName", "Eva Lang"}}),               // no CN= in the name
      Person("cn=Otto Normal", {{"sn", "onormal"}, {"mail", "o@x.de"}}),  // lower-case cn=
      Person("CN=Leer", {{"sn", "leer"}, {"FullName", ""}, {"mail", "l@x.de"}}),
      Person("", {}),  // no name at all
      FakeChild{"Contact", "CN=Kontakt", {{"sn", "kontakt"}}, /*offersIADs=*/false},
  };
  const ImportUserList users = ReadLdapUsers("srv", directory_.Module());
  ASSERT_EQ(users.Count(), 5u);
  EXPECT_EQ(users[0].name, "HansMeier");
  EXPECT_EQ(users[0].fullName, "Hans Meier");
  EXPECT_TRUE(users[0].emails.empty());
  EXPECT_EQ(users[1].name, "EvaMariaLang");
  EXPECT_EQ(users[1].fullName, "Eva Lang");
  EXPECT_EQ(users[2].name, "onormal");
  EXPECT_EQ(users[2].fullName, "Otto Normal");
  EXPECT_EQ(users[2].emails, std::vector<std::string>{"o@x.de"});
  EXPECT_EQ(users[3].fullName, "leer");  // an empty full name becomes the user name
  EXPECT_EQ(users[4].name, "");
  EXPECT_EQ(users[4].fullName, "");
}

TEST_F(DirectoryReaderTest, BindFailuresAbortTheWalkButEnumeratorFailuresOnlyEndTheirContainer) {
  // The root cannot be bound: nothing is read.
  ImportUserList users;
  CDirectoryReader unreachable(directory_.Module());
  unreachable.SetPath("nowhere");
  EXPECT_EQ(ThrownText([&] { unreachable.EnumerateUsers(users); }), "connection failed");
  EXPECT_TRUE(users.Empty());

  // A container below cannot be bound: the whole walk fails, whatever depth it reached.
  directory_["LDAP://srv"].children = {Person("CN=a"), Unit("OU=Gone"), Person("CN=b")};
  EXPECT_EQ(ThrownText([&] { ReadLdapUsers("srv", directory_.Module()); }), "connection failed");

  // An enumerator that cannot be built leaves its container empty; one that fails keeps the child
  // it delivered with the failure and ends there.
  directory_["LDAP://srv/OU=Gone"].enumeratorFails = true;
  directory_["LDAP://srv"].failAfter = 1;
  EXPECT_EQ(Names(ReadLdapUsers("srv", directory_.Module())), std::vector<std::string>{"a"});
}

TEST_F(DirectoryReaderTest, AMissingModuleOrFunctionIsReportedAndNeverCalled) {
  EXPECT_EQ(ThrownText([] { DirectoryModule::Load("/nonexistent/libornads.so"); }), "loading libornads.so failed");
  directory_["LDAP://srv"].children = {Person("CN=a")};
  for (const char* missing : {"ADsGetObject", "ADsBuildEnumerator", "ADsEnumerateNext", "ADsFreeEnumerator"}) {
    CDirectoryReader reader(directory_.Module({missing}));
    reader.SetPath("srv");
    ImportUserList users;
    EXPECT_EQ(ThrownText([&] { reader.EnumerateUsers(users); }), std::string(missing) + " not found in libornads.so");
  }
  EXPECT_EQ(directory_.Calls(), 0);
}

TEST_F(DirectoryReaderTest, TheVariantsReadAccountsAtTheRootWithTheirPathsAndKeys) {
  EXPECT_EQ(CDomainDirectoryReader(directory_.Module()).GetADsPath(), "LDAP://DC=");
  CDomainDirectoryReader domain(directory_.Module());
  domain.SetPath("firma.example.de");
  EXPECT_EQ(domain.GetADsPath(), "LDAP://DC=firma,DC=example,DC=de");
  domain.SetPath("corp");
  EXPECT_EQ(domain.GetADsPath(), "LDAP://DC=corp");

  const std::vector<FakeChild> accounts = {
      FakeChild{"user", "CN=Anna A", {{"samAccountName", "anna"}, {"sn", "aa"}}},
      FakeChild{"User", "bernd", {{"FullName", "Bernd B"}}}, FakeChild{"USER", "carl", {}},
      Unit("OU=Sub"),  // the variants walk into nothing
  };
  directory_["LDAP://DC=corp"].children = accounts;
  directory_["WinNT://."].children = accounts;
  directory_["LDAP://DC=corp/OU=Sub"].children = {FakeChild{"user", "CN=x", {}}};

  ImportUserList fromDomain, fromWinNT;
  domain.EnumerateUsers(fromDomain);
  EXPECT_EQ(Names(fromDomain), (std::vector<std::string>{"anna", "bernd"}));
  CWinNTDirectoryReader winNT(directory_.Module());
  winNT.SetPath(".");
  winNT.EnumerateUsers(fromWinNT);
  EXPECT_EQ(Names(fromWinNT), (std::vector<std::string>{"aa", "bernd"}));  // "sn" is its key, not "samAccountName"
  EXPECT_EQ(fromWinNT[1].fullName, "Bernd B");
}

TEST_F(DirectoryReaderTest, TheNetworkReadFallsBackToTheOtherReader) {
  directory_["WinNT://corp.de"].children = {FakeChild{"User", "winnt", {}}};
  directory_["LDAP://DC=corp,DC=de"].children = {FakeChild{"Contact", "CN=nobody", {}}};  // no account there
  EXPECT_EQ(Names(ReadNetworkUsers("corp.de", false, directory_.Module())), std::vector<std::string>{"winnt"});

  directory_["LDAP://DC=corp,DC=de"].children = {FakeChild{"user", "CN=x", {{"samAccountName", "ldap"}}}};
  EXPECT_EQ(Names(ReadNetworkUsers("corp.de", false, directory_.Module())), std::vector<std::string>{"ldap"});
  // WinNT first: its users win; a failing first read is not shown.
  EXPECT_EQ(Names(ReadNetworkUsers("corp.de", true, directory_.Module())), std::vector<std::string>{"winnt"});
  // Both fail: the second failure is the one reported.
  EXPECT_EQ(ThrownText([&] { ReadNetworkUsers("other", true, directory_.Module()); }), "connection failed");
  EXPECT_EQ(directory_.BoundPaths().back(), "LDAP://DC=other");
}

TEST(DirectoryNetworkSourceTest, TheEnvironmentDecidesNameAndOrder) {
  const auto withEnvironment = [](const char* dnsDomain, const char* domain) {
    dnsDomain ? setenv("USERDNSDOMAIN", dnsDomain, 1) : unsetenv("USERDNSDOMAIN");
    domain ? setenv("USERDOMAIN", domain, 1) : unsetenv("USERDOMAIN");
    const NetworkSource source = DefaultNetworkSource();
    unsetenv("USERDNSDOMAIN");
    unsetenv("USERDOMAIN");
    return source;
  };
  EXPECT_EQ(withEnvironment(nullptr, nullptr).name, ".");
  EXPECT_TRUE(withEnvironment(nullptr, nullptr).winNTFirst);
  EXPECT_EQ(withEnvironment("corp.de", "CORP").name, "corp.de");
  EXPECT_FALSE(withEnvironment("corp.de", "CORP").winNTFirst);
  EXPECT_EQ(withEnvironment(nullptr, "CORP").name, "CORP");
  EXPECT_TRUE(withEnvironment(nullptr, "CORP").winNTFirst);
  const std::string tooLong(256, 'x');
  EXPECT_EQ(withEnvironment(tooLong.c_str(), "CORP").name, "CORP");
}

}  // namespace
}  // namespace orn
