// orncfg-cli eff, and its files against an independent implementation (eff_tool.py with openssl).
#include <string>

#include "support/TestSupport.h"

namespace orn {
namespace {

using test::PathExists;
using test::ReadFile;
using test::RunCli;
using test::RunCommand;

const std::string kTool = std::string("python3 ") + ORN_SOURCE_DIR + "/tests/cli/eff_tool.py";

class EffCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(Path("pw"), "Sommer 2024!\r\n");
    for (int i = 0; i < 5000; ++i) plain_ += static_cast<char>((i * 7919) >> 3);
    test::WriteFile(Path("zip.tmp"), plain_);
    ASSERT_EQ(RunCli("eff encrypt " + Quoted("zip.tmp") + " " + Quoted("a.eff") + " --password-file " + Quoted("pw")),
              0);
  }
  std::string Path(const std::string& name) const { return scratch_ / name; }
  std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }

  test::ScratchDir scratch_;
  std::string plain_;
};

TEST_F(EffCliTest, FilesInterchangeWithPythonAndOpenssl) {
  for (const char* cipher : {"1", "2", "3"}) {
    SCOPED_TRACE(cipher);
    std::string output;
    const std::string ours = "eff encrypt " + Quoted("zip.tmp") + " " + Quoted("ours.eff") + " --cipher " + cipher;
    ASSERT_EQ(RunCli(ours + " --password-file " + Quoted("pw"), &output), 0) << output;
    ASSERT_EQ(RunCommand(kTool + " decrypt " + Quoted("ours.eff") + " " + Quoted("by-python") + " " + Quoted("pw")), 0);
    EXPECT_TRUE(ReadFile(Path("by-python")) == plain_);

    const std::string theirs = " encrypt " + Quoted("zip.tmp") + " " + Quoted("python.eff") + " " + Quoted("pw");
    ASSERT_EQ(RunCommand(kTool + theirs + " " + cipher), 0);
    const std::string decrypt = "eff decrypt " + Quoted("python.eff") + " " + Quoted("by-us");
    ASSERT_EQ(RunCli(decrypt + " --password-file - < " + Quoted("pw"), &output), 0) << output;
    EXPECT_EQ(output, "Die Datei wurde nach " + Path("by-us") + " entschlüsselt.\n");
    EXPECT_TRUE(ReadFile(Path("by-us")) == plain_);
  }
}

TEST_F(EffCliTest, InfoShowsTheHeaderWithoutPassword) {
  std::string output;
  ASSERT_EQ(RunCli("eff info " + Quoted("a.eff"), &output), 0);
  for (const char* line : {"Klartextlänge:     5000 Bytes\n", "Verfahren:         1 (DES-CBC)\n",
                           "Namenslänge:       7 Bytes\nNamensblocklänge:  16 Bytes\n",
                           "Dateilänge:        5088 Bytes (erwartet: 5088)\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << " in\n" << output;
  test::WriteFile(Path("short"), std::string(71, 'x'));
  EXPECT_EQ(RunCli("eff info " + Quoted("short"), &output), 1);
  EXPECT_EQ(output, "Die Datei " + Path("short") + " ist keine verschlüsselte Sicherungsdatei.\n");
}

TEST_F(EffCliTest, PasswordProblemsEndWithTheirMessageAndNoTarget) {
  test::WriteFile(Path("wrong"), "Sommer 2024\n");
  test::WriteFile(Path("empty"), "\n");
  const std::string decrypt = "eff decrypt " + Quoted("a.eff");
  const struct {
    std::string call;  // the whole command line when it does not start with "eff"
    int code;
    std::string output;
    bool whole;  // else the start of what is printed
  } cases[] = {
      {decrypt + " --password-file " + Quoted("wrong"), 1, "Die Datei konnte nicht entschlüsselt werden.", false},
      {"eff encrypt " + Quoted("zip.tmp") + " " + Quoted("b.eff") + " --password-file " + Quoted("empty"), 1,
       "Geben Sie bitte ein Kennwort an.\n", true},
      {decrypt + " --password-file " + Quoted("missing"), 1,
       "Die Kennwortdatei " + Path("missing") + " konnte nicht gelesen werden.\n", true},
      // Without a password file and without a terminal there is nothing to ask.
      {"setsid -w " ORN_CLI_BINARY " " + decrypt + " </dev/null 2>&1", 1, "Es wurde kein Kennwort angegeben", false},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(c.call.rfind("eff", 0) == 0 ? RunCli(c.call, &output) : RunCommand(c.call, &output), c.code) << c.call;
    EXPECT_EQ(c.whole ? output : output.substr(0, c.output.size()), c.output) << c.call << ": " << output;
    EXPECT_FALSE(PathExists(Path("b.eff")) || PathExists(Path("a.eff.dec"))) << c.call;
  }
}

}  // namespace
}  // namespace orn
