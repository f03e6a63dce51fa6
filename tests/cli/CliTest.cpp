// orncfg-cli, orn and the demo installation from the outside, as an administrator uses them.
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCli;
using test::RunCommand;

class CliTest : public test::DemoTest {
 protected:
  void TearDown() override {
    RunCli("server stop");
    DemoTest::TearDown();
  }
  static std::string CliOutput(const std::string& arguments) {
    std::string output;
    RunCli(arguments, &output);
    return output;
  }
  std::string Hive() const { return demo_ + "/registry.reg"; }
};

TEST_F(CliTest, StatusOfTheDemoInstallation) {
  std::string output;
  ASSERT_EQ(RunCli("status", &output), 0) << output;
  for (const std::string& line :
       {"Installationsverzeichnis: " + demo_ + "/orn", std::string("Server:                   läuft nicht"),
        std::string("Einstellungen:            nicht geschützt"), std::string("  Task_DNS      1"),
        std::string("Benutzer:                 36"), std::string("E-Mail-Adressen:          32")})
    EXPECT_NE(output.find(line), std::string::npos) << line << " in\n" << output;
}

TEST_F(CliTest, RegistryValuesRoundTripWithAnyLetterCase) {
  ASSERT_EQ(RunCli("reg set Task_Test 'Wert mit \"Anführung\" und \\\\'"), 0);
  EXPECT_EQ(CliOutput("reg get TASK_TEST"), "Wert mit \"Anführung\" und \\\\\n");
  ASSERT_EQ(RunCli("reg delete TASK_test"), 0);
  std::string output;
  EXPECT_EQ(RunCli("reg get Task_Test", &output), 1);
  EXPECT_EQ(output, "Der Wert Task_Test ist nicht vorhanden.\n");
}

TEST_F(CliTest, DamagedHiveIsRefusedAndLeftUnchanged) {
  const std::string damaged = ReadFile(Hive()).substr(0, 60) + "\n\"Task_X\"=\"no end\n";
  test::WriteFile(Hive(), damaged);
  std::string output;
  EXPECT_EQ(RunCli("reg set Task_DNS 0", &output), 1);
  EXPECT_NE(output.find("\nGelesene Registry: " + Hive()), std::string::npos) << output;
  EXPECT_EQ(ReadFile(Hive()), damaged);
  setenv("ORN_REGISTRY", (Scratch() / "missing.reg").c_str(), 1);
  EXPECT_EQ(RunCli("status", &output), 1);
  EXPECT_NE(output.find(Scratch() / "missing.reg (aus ORN_REGISTRY)"), std::string::npos) << output;
}

TEST_F(CliTest, ServerStartAndStop) {
  std::string output;
  ASSERT_EQ(RunCli("server start", &output), 0) << output;
  ASSERT_TRUE(test::WaitFor([&] { return CliOutput("server status") == "ORN! läuft.\n"; }, 5000));
  ASSERT_EQ(RunCli("server stop", &output), 0) << output;
  EXPECT_EQ(output, "ORN! wurde beendet.\n");
  // Stop returns only once the server is gone (ServerTest: its mutex and socket go with it).
  EXPECT_EQ(RunCli("server status", &output), 3);  // as systemctl is-active says "not running"
  EXPECT_EQ(output, "ORN! läuft nicht.\n");
}

// Every call ends with its code and its text; nothing a user gave as a secret comes back.
TEST_F(CliTest, CallsEndWithTheirCodeAndText) {
  const std::string config = ReadFile(demo_ + "/orn/orn.cfg");
  test::WriteFile(Scratch() / "truncated.cfg", config.substr(0, config.size() / 2));
  test::WriteFile(Scratch() / "pw", "Geheim 1\n");
  test::WriteFile(Scratch() / "nul", std::string("ab\0rest\n", 8));
  const std::string out = Scratch() / "users.csv", tabbed = Scratch() / "tabbed.csv";
  const std::string usage =
      "Aufruf: orncfg-cli backup [--output PFAD] [--keep N] [--plain] [--threads N] "
      "[--password-file F] [--settings-password-file F] [--wait SEKUNDEN]\n";
  const struct {
    std::string call;
    int code;
    std::string output;
    bool whole = true;  // else the start of what is printed
  } cases[] = {
      {"--help", 0, "Aufruf: orncfg-cli", false},
      {"reg get --help", 0, "Aufruf: orncfg-cli", false},
      {"--version", 0, "orncfg-cli ", false},
      {"backup-everything", 2, "", false},
      {"", 2, "", false},
      {"config check '" + Scratch() / "truncated.cfg" + "'", 1,
       "Die Konfigurationsdatei konnte nicht geprüft werden.\nFehlermeldung: Fehler beim Laden der Konfiguration\n"},
      {"reg get", 2, "Geben Sie den Namen eines Werts an.\nAufruf: orncfg-cli reg get NAME\n"},
      {"reg get -- --Task_DNS", 1, "Der Wert --Task_DNS ist nicht vorhanden.\n"},
      {"users export --separator=tab '" + tabbed + "'", 0,
       "Der Export wurde erfolgreich abgeschlossen. (36 Benutzer)\n"},
      {"--quiet users export '" + out + "' --separator ';'", 0, ""},
      {"server status --quiet", 3, ""},
      {"backup --password-file=Geheim1 --bogus=Geheim2", 2, "Unbekannte Angabe: --bogus\n" + usage},
      {"backup --plain=Geheim3", 2, "Die Angabe --plain nimmt keinen Wert.\n" + usage},
      {"backup --output", 2, "Zur Angabe --output fehlt der Wert.\n" + usage},
      {"backup --keep=0", 2, "Geben Sie für --keep eine Anzahl ab 1 an.\n" + usage},
      {"backup --output '" + Scratch() / "x.eff' --password-file '" + Scratch() / "nul'", 1,
       "Die erste Zeile der Kennwortdatei " + Scratch() / "nul enthält ein NUL-Zeichen", false},
      {"--password=geheim", 2, "Unbekannter Befehl: --password\n", false},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(RunCli(c.call, &output), c.code) << c.call;
    EXPECT_EQ(c.whole ? output : output.substr(0, c.output.size()), c.output) << c.call << ": " << output;
    EXPECT_EQ(output.find("geheim"), std::string::npos) << output;
  }
  EXPECT_EQ(ReadFile(out).rfind("UserName;Name;E-Mail", 0), 0u);
  EXPECT_EQ(ReadFile(tabbed).rfind("UserName\tName\tE-Mail", 0), 0u);
  EXPECT_FALSE(fs::exists(Scratch() / "x.eff"));
  EXPECT_FALSE(fs::exists(demo_ + "/tmp/orncfg"));
}

// --json gives one valid document that carries the facts of the text.
TEST_F(CliTest, JsonCarriesTheFactsOfTheText) {
  ASSERT_EQ(RunCli("reg set Task_DNS 'an \"x\" \\ b\tc'"), 0);  // quotes, a backslash and a tab to escape
  test::WriteFile(Scratch() / "pw", "Geheim 1\n");
  const std::string pw = " --password-file '" + Scratch() / "pw" + "'";
  const std::string eff = Scratch() / "s.eff", zip = Scratch() / "arsp.zip";
  ASSERT_EQ(RunCli("backup --output '" + eff + "'" + pw), 0);
  ASSERT_EQ(RunCli("archive pack '" + zip + "' '" + demo_ + "/orn' arsp"), 0);
  const std::string text = Scratch() / "text", json = Scratch() / "json";
  for (const std::string& call : {std::string("status"), std::string("users list"), "verify '" + eff + "'" + pw,
                                  "archive list '" + zip + "'", "eff info '" + eff + "'"}) {
    const std::string cli = std::string(ORN_CLI_BINARY) + " " + call, facts = ORN_SOURCE_DIR "/tests/cli/json_facts.py";
    std::string report;
    EXPECT_EQ(RunCommand(cli + ">" + text + " && " + cli + " --json >" + json + " && python3 " + facts + " " + json +
                             " " + text + " 2>&1",
                         &report),
              0)
        << call << ": " << report;
  }
}

TEST_F(CliTest, SettingsPasswordIsNeverShown) {
  ASSERT_TRUE(test::UseDemoInstallation(demo_, "--protected"));
  std::string output;
  ASSERT_EQ(RunCli("status", &output), 0);
  EXPECT_NE(output.find("durch ein Kennwort geschützt"), std::string::npos);
  EXPECT_NE(CliOutput("reg list").find("ConfigPassword=********\n"), std::string::npos);
  EXPECT_EQ(RunCli("reg get ConfigPassword"), 1);
  EXPECT_EQ(RunCli("reg set configpassword geheim"), 1);
}

}  // namespace
}  // namespace orn
