// orncfg-cli users import-ldap and import-network on the demo installation, against a real slapd
// and a throw-away account file.
#include <cstdlib>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "DirectoryTestData.h"
#include "support/Slapd.h"
#include "support/TestSupport.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::RunCommand;
using test::Slapd;

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class DirectoryCliTest : public test::DemoTest {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<Slapd>(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::TestLdif(), false});
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(DemoTest::SetUp());
    setenv("ORN_ADS_MODULE", ORN_ADS_MODULE_FILE, 1);
    setenv("LDAPNOINIT", "1", 1);  // no ldap.conf of this machine
    test::WriteFile(Scratch() / "passwd",
                    "root:x:0:0:root:/root:/bin/bash\n"
                    "jdoe:x:1000:1000:John Doe,,,:/home/jdoe:/bin/bash\n"
                    "Amueller:x:1001:1001:Anna M:/home/am:/bin/bash\n"
                    "xaver:x:1002:1002:& Huber:/home/xaver:/bin/bash\n");
    setenv("ORN_ADS_PASSWD_FILE", (Scratch() / "passwd").c_str(), 1);
    unsetenv("USERDNSDOMAIN");
    unsetenv("USERDOMAIN");
  }
  void TearDown() override {
    Cli("server stop");
    for (const char* name : {"ORN_ADS_MODULE", "LDAPNOINIT", "LDAPCONF", "ORN_ADS_PASSWD_FILE", "USERDNSDOMAIN"})
      unsetenv(name);
    IsolatedTest::TearDown();
  }
  int Cli(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(std::string(ORN_CLI_BINARY) + " " + arguments + " 2>&1", output);
  }
  bool ServerRuns() {
    std::string output;
    Cli("server status", &output);
    return output == "ORN! läuft.\n";
  }
  std::string Users() {
    std::string output;
    Cli("users list", &output);
    return output;
  }

  static std::unique_ptr<Slapd> server_;
};

std::unique_ptr<Slapd> DirectoryCliTest::server_;

// What the reader finds is LdapDirectoryTest's; here the counts the command prints, the file left
// alone by a dry run and the server left running by the import.
TEST_F(DirectoryCliTest, LdapImportCountsAndLeavesTheServerRunning) {
  const std::string before = test::ReadFile(Installed());
  std::string output;
  ASSERT_EQ(Cli("users import-ldap " + server_->HostPort() + " --dry-run", &output), 0) << output;
  const size_t expected = test::ExpectedLdapUserNames().size();
  EXPECT_NE(output.find("Gefundene Benutzer: " + std::to_string(expected) + "\n"), std::string::npos);
  EXPECT_NE(output.find("Würden hinzugefügt: " + std::to_string(expected - 1) + "\n"), std::string::npos);
  EXPECT_NE(output.find("Bereits vorhanden: 1\n"), std::string::npos);  // AMUELLER is amueller
  EXPECT_EQ(test::ReadFile(Installed()), before);

  ASSERT_EQ(Cli("server start"), 0);
  ASSERT_TRUE(test::WaitFor([&] { return ServerRuns(); }, 5000));
  ASSERT_EQ(Cli("users import-ldap " + server_->HostPort(), &output), 0) << output;
  EXPECT_NE(output.find("Die Benutzerdaten wurden erfolgreich importiert.\n"), std::string::npos);
  EXPECT_TRUE(ServerRuns());
  const std::string users = Users();
  EXPECT_EQ(Count(users, "\n"), 36 + expected - 1);
  EXPECT_EQ(Count(users, "amueller\t"), 1u);
}

TEST_F(DirectoryCliTest, AStockServerEndsTheReadEarlyAndTheImportSaysHowManyItRead) {
  constexpr int kPersons = 1207;
  Slapd stock(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::PersonsLdif(kPersons), false, true});
  const std::string before = test::ReadFile(Installed());
  std::string output;
  EXPECT_EQ(Cli("users import-ldap " + stock.HostPort(), &output), 5) << output;
  static const std::regex readCount(
      "es wurden nur ([0-9]+) Benutzer gelesen\\.\nGrund: paged search of "
      "ou=Personal,dc=orn-test,dc=de: Size limit exceeded");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(output, match, readCount)) << output;
  const int read = std::stoi(match[1]);
  EXPECT_GT(read, 0);
  EXPECT_LT(read, kPersons);
  EXPECT_NE(output.find("--allow-partial"), std::string::npos);
  EXPECT_EQ(test::ReadFile(Installed()), before);

  ASSERT_EQ(Cli("users import-ldap " + stock.HostPort() + " --allow-partial", &output), 0) << output;
  EXPECT_NE(output.find("es wurden nur " + std::to_string(read) + " Benutzer gelesen."), std::string::npos) << output;
  EXPECT_NE(output.find("Hinzugefügt: " + std::to_string(read) + "\n"), std::string::npos) << output;
  EXPECT_EQ(Count(Users(), "\n"), 36u + read);
}

TEST_F(DirectoryCliTest, TheServerlessPathTakesTheServerFromLdapConf) {
  test::WriteFile(Scratch() / "ldap.conf", "URI " + server_->Uri() + "\n");
  unsetenv("LDAPNOINIT");
  setenv("LDAPCONF", (Scratch() / "ldap.conf").c_str(), 1);
  std::string output;
  ASSERT_EQ(Cli("users import-ldap DC=orn-test,DC=de --dry-run", &output), 0) << output;
  EXPECT_NE(output.find("Gefundene Benutzer: " + std::to_string(test::ExpectedLdapUserNames().size())),
            std::string::npos);

  // The network import of a DNS domain reads its accounts by sAMAccountName, LDAP first.
  setenv("USERDNSDOMAIN", "orn-test.de", 1);
  ASSERT_EQ(Cli("users import-network --dry-run", &output), 0) << output;
  EXPECT_NE(output.find("Gefundene Benutzer: 2\n    1  ckoch\tKonto ckoch\t\n    2  dlang\tKonto dlang\t\n"),
            std::string::npos)
      << output;
}

TEST_F(DirectoryCliTest, NetworkImportStopsTheServerAndAddsTheLocalAccounts) {
  ASSERT_EQ(Cli("server start"), 0);
  ASSERT_TRUE(test::WaitFor([&] { return ServerRuns(); }, 5000));
  std::string output;
  ASSERT_EQ(Cli("users import-network --dry-run", &output), 0) << output;
  EXPECT_TRUE(ServerRuns());
  EXPECT_NE(output.find("Würden hinzugefügt: 2\n  jdoe\n  xaver\nBereits vorhanden: 1\n"), std::string::npos) << output;

  ASSERT_EQ(Cli("users import-network . --no-start", &output), 0) << output;
  EXPECT_NE(output.find("Die Benutzer wurden erfolgreich importiert.\nHinzugefügt: 2\nBereits vorhanden: 1\n"),
            std::string::npos)
      << output;
  EXPECT_FALSE(ServerRuns());
  EXPECT_EQ(Count(Users(), "\n"), 38u);  // full names from the GECOS field: LocalAccountsTest
}

TEST_F(DirectoryCliTest, SelectionOnTheTerminalAndTheFailureTexts) {
  std::string output;
  // script gives the command a terminal and types the answer into it.
  ASSERT_EQ(RunCommand("printf '3\\n' | script -qec \"" + std::string(ORN_CLI_BINARY) +
                           " users import-network --select --dry-run\" /dev/null",
                       &output),
            0)
      << output;
  EXPECT_NE(output.find("Würden hinzugefügt: 1\r\n  xaver\r\n"), std::string::npos) << output;

  EXPECT_EQ(RunCommand("setsid -w " + std::string(ORN_CLI_BINARY) + " users import-network --select 2>&1", &output), 1);
  EXPECT_NE(output.find("Für --select wird ein Terminal benötigt.\n"), std::string::npos) << output;

  ASSERT_EQ(Cli("users import-network other-host.example", &output), 1);
  EXPECT_NE(output.find("Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung: connection failed\n"),
            std::string::npos)
      << output;

  EXPECT_EQ(Cli("users import-ldap " + server_->HostPort() + "/OU=Leer", &output), 1);
  EXPECT_EQ(output, "Keine Benutzer verfügbar.\n");

  // Nobody on this computer: the domain reader gets its turn, and its failure is the one shown.
  setenv("ORN_ADS_PASSWD_FILE", "/dev/null", 1);
  EXPECT_EQ(Cli("users import-network", &output), 1);
  EXPECT_NE(output.find("Fehlermeldung: connection failed\nDetails: no LDAP server"), std::string::npos) << output;

  setenv("ORN_ADS_MODULE", (Scratch() / "missing.so").c_str(), 1);
  EXPECT_EQ(Cli("users import-ldap " + server_->HostPort(), &output), 1);
  EXPECT_NE(output.find("Fehlermeldung: loading libornads.so failed\n"), std::string::npos) << output;

  // Without ORN_ADS_MODULE the module beside the program is used.
  unsetenv("ORN_ADS_MODULE");
  EXPECT_EQ(Cli("users import-ldap " + server_->HostPort() + " --dry-run", &output), 0) << output;
}

}  // namespace
}  // namespace orn
