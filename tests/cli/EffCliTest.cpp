// orncfg-cli eff from the outside, and files it makes read by an independent implementation of the
// format (tests/cli/eff_tool.py: Python with the openssl command), and the other way round.
#include <string>

#include "support/TestSupport.h"

namespace orn {
namespace {

using test::PathExists;
using test::ReadFile;
using test::RunCommand;
using test::WriteFile;

const std::string kTool = std::string("python3 ") + ORN_SOURCE_DIR + "/tests/cli/eff_tool.py";
constexpr char kDecryptFailed[] = "Die Datei konnte nicht entschlüsselt werden.";

class EffCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(Path("pw"), "Sommer 2024!\r\n");
    std::string plain;
    for (int i = 0; i < 5000; ++i) plain += static_cast<char>((i * 7919) >> 3);
    WriteFile(Path("zip.tmp"), plain);
  }
  std::string Path(const std::string& name) const { return scratch_ / name; }
  std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
  // Runs orncfg-cli; its standard output and error go to *output.
  int Cli(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(std::string(ORN_CLI_BINARY) + " " + arguments + " 2>&1", output);
  }

  test::ScratchDir scratch_;
};

TEST_F(EffCliTest, FilesInterchangeWithPythonAndOpenssl) {
  const std::string plain = ReadFile(Path("zip.tmp"));
  for (const char* cipher : {"1", "2", "3"}) {
    SCOPED_TRACE(cipher);
    std::string output;
    ASSERT_EQ(Cli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("ours.eff") + " --cipher " + cipher +
                      " --password-file " + Quoted("pw") + " </dev/null", &output), 0) << output;
    ASSERT_EQ(RunCommand(kTool + " decrypt " + Quoted("ours.eff") + " " + Quoted("by-python") + " " + Quoted("pw")), 0);
    EXPECT_TRUE(ReadFile(Path("by-python")) == plain);

    ASSERT_EQ(RunCommand(kTool + " encrypt " + Quoted("zip.tmp") + " " + Quoted("python.eff") + " " + Quoted("pw") +
                         " " + cipher), 0);
    ASSERT_EQ(Cli("eff decrypt " + Quoted("python.eff") + " " + Quoted("by-us") + " --password-file - < " +
                      Quoted("pw"), &output), 0) << output;
    EXPECT_EQ(output, "Die Datei wurde nach " + Path("by-us") + " entschlüsselt.\n");
    EXPECT_TRUE(ReadFile(Path("by-us")) == plain);
  }
}

TEST_F(EffCliTest, InfoShowsTheHeaderWithoutPassword) {
  ASSERT_EQ(Cli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("a.eff") + " --password-file " + Quoted("pw")), 0);
  std::string output;
  ASSERT_EQ(Cli("eff info " + Quoted("a.eff"), &output), 0);
  EXPECT_NE(output.find("Klartextlänge:     5000 Bytes\n"), std::string::npos) << output;
  EXPECT_NE(output.find("Verfahren:         1 (DES-CBC)\n"), std::string::npos);
  EXPECT_NE(output.find("Namenslänge:       7 Bytes\nNamensblocklänge:  16 Bytes\n"), std::string::npos);
  EXPECT_NE(output.find("Dateilänge:        5088 Bytes (erwartet: 5088)\n"), std::string::npos);

  WriteFile(Path("short"), std::string(71, 'x'));
  EXPECT_EQ(Cli("eff info " + Quoted("short"), &output), 1);
  EXPECT_EQ(output, "Die Datei " + Path("short") + " ist keine verschlüsselte Sicherungsdatei.\n");
}

TEST_F(EffCliTest, PasswordProblemsEndWithTheirMessageAndNoTarget) {
  ASSERT_EQ(Cli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("a.eff") + " --password-file " + Quoted("pw")), 0);
  std::string output;
  WriteFile(Path("wrong"), "Sommer 2024\n");
  EXPECT_EQ(Cli("eff decrypt " + Quoted("a.eff") + " --password-file " + Quoted("wrong"), &output), 1);
  EXPECT_EQ(output.rfind(kDecryptFailed, 0), 0u) << output;
  EXPECT_FALSE(PathExists(Path("a.eff.dec")));

  WriteFile(Path("empty"), "\n");
  EXPECT_EQ(Cli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("b.eff") + " --password-file " + Quoted("empty"),
                &output), 1);
  EXPECT_EQ(output, "Geben Sie bitte ein Kennwort an.\n");
  EXPECT_EQ(Cli("eff decrypt " + Quoted("a.eff") + " --password-file " + Quoted("missing"), &output), 1);
  EXPECT_EQ(output, "Die Kennwortdatei " + Path("missing") + " konnte nicht gelesen werden.\n");
  // Without a password file and without a terminal there is nothing to ask.
  EXPECT_EQ(RunCommand("setsid -w " + std::string(ORN_CLI_BINARY) + " eff decrypt " + Quoted("a.eff") +
                       " </dev/null 2>&1", &output), 1);
  EXPECT_EQ(output.rfind("Es wurde kein Kennwort angegeben", 0), 0u) << output;
  EXPECT_EQ(Cli("eff decrypt " + Quoted("a.eff") + " --password geheim", &output), 2);
  EXPECT_FALSE(PathExists(Path("b.eff")));
  EXPECT_FALSE(PathExists(Path("a.eff.dec")));
}

TEST_F(EffCliTest, WithoutTheLegacyProviderDesFailsClearly) {
  std::string output;
  const std::string noModules = "OPENSSL_MODULES='" + Path("no-modules") + "' ";
  EXPECT_EQ(RunCommand(noModules + ORN_CLI_BINARY + " eff encrypt " + Quoted("zip.tmp") + " " + Quoted("a.eff") +
                       " --password-file " + Quoted("pw") + " 2>&1", &output), 1);
  EXPECT_NE(output.find("Fehlermeldung: libcrypto: the legacy provider could not be loaded"), std::string::npos)
      << output;
  EXPECT_FALSE(PathExists(Path("a.eff")));
  ASSERT_EQ(Cli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("des.eff") + " --password-file " + Quoted("pw")), 0);
  EXPECT_EQ(RunCommand(noModules + ORN_CLI_BINARY + " eff decrypt " + Quoted("des.eff") + " --password-file " +
                       Quoted("pw") + " 2>&1", &output), 1);
  EXPECT_NE(output.find("Fehlermeldung: libcrypto: the legacy provider"), std::string::npos) << output;
  // AES does not need it.
  EXPECT_EQ(RunCommand(noModules + ORN_CLI_BINARY + " eff encrypt " + Quoted("zip.tmp") + " " + Quoted("a.eff") +
                       " --cipher 3 --password-file " + Quoted("pw")), 0);
}

}  // namespace
}  // namespace orn
