// orncfg-cli users import-ldap and import-network against a real slapd and a throw-away passwd:
// counts, exit codes, dry runs, selection and the server.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <regex>
#include <string>

#include "DirectoryTestData.h"
#include "support/Slapd.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

using test::RunCli;
using test::RunCommand;
using test::Slapd;

class DirectoryCliTest : public test::DemoTest {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<Slapd>(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::TestLdif()});
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(DemoTest::SetUp());
    setenv("ORN_ADS_MODULE", ORN_ADS_MODULE_FILE, 1);
    setenv("LDAPNOINIT", "1", 1);  // no ldap.conf of this machine
    test::WriteFile(Scratch() / "passwd",
                    "root:x:0:0:root:/root:/bin/bash\njdoe:x:1000:1000:John Doe,,,:/home/jdoe:/bin/bash\n"
                    "Amueller:x:1001:1001:Anna M:/home/am:/bin/bash\nxaver:x:1002:1002:& Huber:/home/x:/bin/bash\n");
    setenv("ORN_ADS_PASSWD_FILE", (Scratch() / "passwd").c_str(), 1);
    unsetenv("USERDNSDOMAIN");
    unsetenv("USERDOMAIN");
  }
  void TearDown() override {
    RunCli("server stop");
    for (const char* name : {"ORN_ADS_MODULE", "LDAPNOINIT", "LDAPCONF", "ORN_ADS_PASSWD_FILE", "USERDNSDOMAIN"})
      unsetenv(name);
    IsolatedTest::TearDown();
  }
  static bool ServerRuns() { return RunCli("server status") == 0; }
  static size_t UserCount() {
    std::string output;
    RunCli("users list", &output);
    return static_cast<size_t>(std::count(output.begin(), output.end(), '\n'));
  }

  static std::unique_ptr<Slapd> server_;
};

std::unique_ptr<Slapd> DirectoryCliTest::server_;

// A server with the stock size limit ends a paged read early: exit code 5 and nothing written,
// unless --allow-partial takes what was read; the server keeps running.
TEST_F(DirectoryCliTest, AStockServerEndsTheReadEarlyAndTheImportSaysHowManyItRead) {
  constexpr int kPersons = 1207;
  Slapd stock(Slapd::Config{test::kTestSuffix, test::TestSchema(), test::PersonsLdif(kPersons), false, true});
  const std::string before = test::ReadFile(Installed());
  std::string output;
  EXPECT_EQ(RunCli("users import-ldap " + stock.HostPort(), &output), 5) << output;
  static const std::regex readCount(
      "es wurden nur ([0-9]+) Benutzer gelesen\\.\nGrund: paged search of "
      "ou=Personal,dc=orn-test,dc=de: Size limit exceeded");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(output, match, readCount)) << output;
  const int read = std::stoi(match[1]);
  EXPECT_TRUE(read > 0 && read < kPersons) << read;
  EXPECT_NE(output.find("--allow-partial"), std::string::npos);
  EXPECT_EQ(test::ReadFile(Installed()), before);

  ASSERT_EQ(RunCli("server start"), 0);
  ASSERT_TRUE(test::WaitFor(ServerRuns, 5000));
  ASSERT_EQ(RunCli("users import-ldap " + stock.HostPort() + " --allow-partial", &output), 0) << output;
  EXPECT_TRUE(ServerRuns());
  EXPECT_NE(output.find("Hinzugefügt: " + std::to_string(read) + "\n"), std::string::npos) << output;
  EXPECT_EQ(UserCount(), 36u + read);
}

TEST_F(DirectoryCliTest, NetworkImportStopsTheServerAndAddsTheLocalAccounts) {
  ASSERT_EQ(RunCli("server start"), 0);
  ASSERT_TRUE(test::WaitFor(ServerRuns, 5000));
  std::string output;
  ASSERT_EQ(RunCli("users import-network . --no-start", &output), 0) << output;
  EXPECT_NE(output.find("Die Benutzer wurden erfolgreich importiert.\nHinzugefügt: 2\nBereits vorhanden: 1\n"),
            std::string::npos)
      << output;
  EXPECT_FALSE(ServerRuns());
  EXPECT_EQ(UserCount(), 38u);
}

TEST_F(DirectoryCliTest, SelectionNeedsATerminalAndFailuresEndWithOne) {
  std::string output;
  // script gives the command a terminal and types the answer into it.
  ASSERT_EQ(RunCommand("printf '3\\n' | script -qec \"" ORN_CLI_BINARY " users import-network --select --dry-run\" "
                       "/dev/null",
                       &output),
            0)
      << output;
  EXPECT_NE(output.find("Würden hinzugefügt: 1\r\n  xaver\r\n"), std::string::npos) << output;
  EXPECT_EQ(RunCommand("setsid -w " ORN_CLI_BINARY " users import-network --select 2>&1", &output), 1);
  EXPECT_NE(output.find("Für --select wird ein Terminal benötigt.\n"), std::string::npos) << output;
  EXPECT_EQ(RunCli("users import-ldap " + server_->HostPort() + "/OU=Leer", &output), 1);
  EXPECT_EQ(output, "Keine Benutzer verfügbar.\n");
  // Nobody on this computer: the domain reader's failure and the module's explanation are shown.
  setenv("ORN_ADS_PASSWD_FILE", "/dev/null", 1);
  EXPECT_EQ(RunCli("users import-network", &output), 1);
  EXPECT_NE(output.find("Fehlermeldung: connection failed\nDetails: no LDAP server"), std::string::npos) << output;
}

}  // namespace
}  // namespace orn
