// The readers' walk against an in-process directory: order, recursion, fallbacks and failures.
#include <string>
#include <vector>

#include "DirectoryFake.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::FakeChild;
using test::FakeDirectory;
using test::Names;
using test::ThrownText;

FakeChild Person(std::string name, std::map<std::string, std::string> attributes = {}) {
  return FakeChild{"dominoPerson", std::move(name), std::move(attributes)};
}
FakeChild Named(const std::string& sn) { return Person("CN=" + sn, {{"sn", sn}}); }
FakeChild Unit(std::string name) { return FakeChild{"organizationalUnit", std::move(name), {}}; }

std::vector<std::string> Names(const DirectoryRead& read) { return Names(read.users); }

class DirectoryReaderTest : public ::testing::Test {
 protected:
  FakeDirectory directory_;
};

TEST_F(DirectoryReaderTest, WalksDepthFirstInDirectoryOrderThroughContainerClassesOnly) {
  directory_["LDAP://srv"].children = {
      Named("a"),
      Unit("OU=X"),
      Named("d"),
      FakeChild{"container", "CN=Hidden", {}},           // neither list: not walked into
      FakeChild{"dominoperson", "CN=e", {{"sn", "e"}}},  // class names compare exactly
      FakeChild{"dominoOrganization", "O=Filiale", {}},
      Named("a"),  // duplicates stay
  };
  directory_["LDAP://srv/OU=X"].children = {Named("b"), Unit("OU=Y"), Named("c2")};
  directory_["LDAP://srv/OU=X/OU=Y"].children = {Named("c")};
  directory_["LDAP://srv/O=Filiale"].children = {Named("f"), FakeChild{"user", "CN=g", {}}};
  directory_["LDAP://srv/CN=Hidden"].children = {Named("h")};

  const ImportUserList users = ReadLdapUsers("srv", directory_.Module()).users;
  EXPECT_EQ(Names(users), (std::vector<std::string>{"a", "b", "c", "c2", "d", "f", "a"}));
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
  // An empty full name becomes the user name; the object without IADs is left out.
  const std::vector<std::vector<std::string>> expected = {{"HansMeier", "Hans Meier"},
                                                          {"EvaMariaLang", "Eva Lang"},
                                                          {"onormal", "Otto Normal", "o@x.de"},
                                                          {"leer", "leer", "l@x.de"},
                                                          {"", ""}};
  std::vector<std::vector<std::string>> read;
  for (const ImportUser& user : ReadLdapUsers("srv", directory_.Module()).users) {
    read.push_back({user.name, user.fullName});
    read.back().insert(read.back().end(), user.emails.begin(), user.emails.end());
  }
  EXPECT_EQ(read, expected);
}

TEST_F(DirectoryReaderTest, BindFailuresAbortTheWalkAndEnumeratorFailuresMarkItIncomplete) {
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
  // it delivered with the failure and ends there. Either way the read is incomplete, and says so.
  directory_["LDAP://srv"].children = {Person("CN=a"), Unit("OU=Gone"), Person("CN=b"), Person("CN=c")};
  directory_["LDAP://srv/OU=Gone"].enumeratorFails = true;
  DirectoryRead read = ReadLdapUsers("srv", directory_.Module());
  EXPECT_EQ(Names(read), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_FALSE(read.status.complete);
  EXPECT_EQ(read.status.code, ads::E_FAIL);
  directory_["LDAP://srv/OU=Gone"].enumeratorFails = false;
  directory_["LDAP://srv"].failAfter = 2;
  read = ReadLdapUsers("srv", directory_.Module());
  EXPECT_EQ(Names(read), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(read.status.complete);
}

TEST_F(DirectoryReaderTest, AMissingModuleOrFunctionIsReported) {
  EXPECT_EQ(ThrownText([] { DirectoryModule::Load("/nonexistent/libornads.so"); }), "loading libornads.so failed");
  directory_["LDAP://srv"].children = {Person("CN=a")};
  for (const char* missing : {"ADsGetObject", "ADsBuildEnumerator", "ADsEnumerateNext", "ADsFreeEnumerator"}) {
    CDirectoryReader reader(directory_.Module({missing}));
    reader.SetPath("srv");
    ImportUserList users;
    EXPECT_EQ(ThrownText([&] { reader.EnumerateUsers(users); }), std::string(missing) + " not found in libornads.so");
  }
}

TEST_F(DirectoryReaderTest, TheVariantsReadAccountsAtTheRootWithTheirPathsAndKeys) {
  EXPECT_EQ(CDomainDirectoryReader(directory_.Module()).GetADsPath(), "LDAP://DC=");
  CDomainDirectoryReader domain(directory_.Module());
  domain.SetPath("firma.example.de");
  EXPECT_EQ(domain.GetADsPath(), "LDAP://DC=firma,DC=example,DC=de");
  domain.SetPath("corp");

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

}  // namespace
}  // namespace orn
