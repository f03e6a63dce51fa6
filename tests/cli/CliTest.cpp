// orncfg-cli, orn and the demo installation from the outside, as an administrator uses them.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::IsolatedTest;
using test::ReadFile;
using test::RunCommand;

class CliTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    demo_ = Scratch() / "demo";
    ApplyExports(InstallDemo(""));
  }
  void TearDown() override {
    Cli("server stop");
    IsolatedTest::TearDown();
  }
  std::string InstallDemo(const std::string& options) {
    std::string exports;
    EXPECT_EQ(RunCommand(std::string(ORN_DEMO_BINARY) + " '" + demo_ + "' " + options, &exports), 0);
    return exports;
  }
  // Takes over the "export NAME='value'" lines the demo printed.
  void ApplyExports(const std::string& exports) {
    std::istringstream lines(exports);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
      const auto eq = line.find('=');
      ASSERT_EQ(line.rfind("export ", 0), 0u) << line;
      std::string value = line.substr(eq + 1);
      ASSERT_GE(value.size(), 2u);
      value = value.substr(1, value.size() - 2);  // the demo quotes with '...'
      setenv(line.substr(7, eq - 7).c_str(), value.c_str(), 1);
      ++count;
    }
    EXPECT_EQ(count, 3);
  }
  // Runs orncfg-cli; returns its exit code, with standard output and error in *output.
  int Cli(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(std::string(ORN_CLI_BINARY) + " " + arguments + " 2>&1", output);
  }
  std::string CliOutput(const std::string& arguments) {
    std::string output;
    Cli(arguments, &output);
    return output;
  }
  std::string Hive() const { return demo_ + "/registry.reg"; }
  std::string SocketPath() const { return demo_ + "/run/pipe/oska_orn_service"; }

  std::string demo_;
};

TEST_F(CliTest, StatusOfTheDemoInstallation) {
  std::string output;
  ASSERT_EQ(Cli("status", &output), 0) << output;
  EXPECT_NE(output.find("Installationsverzeichnis: " + demo_ + "/orn"), std::string::npos) << output;
  EXPECT_NE(output.find("Server:                   läuft nicht"), std::string::npos);
  EXPECT_NE(output.find("Einstellungen:            nicht geschützt"), std::string::npos);
  EXPECT_NE(output.find("  Task_DNS      1"), std::string::npos);
  EXPECT_NE(output.find("Benutzer:                 36"), std::string::npos);
  EXPECT_NE(output.find("E-Mail-Adressen:          32"), std::string::npos);

  ASSERT_EQ(Cli("config check '" + demo_ + "/orn/orn.cfg'", &output), 0) << output;
  EXPECT_NE(output.find("Benutzer: 36\nE-Mail-Adressen: 32"), std::string::npos) << output;
}

TEST_F(CliTest, RegistryValuesRoundTripWithAnyLetterCase) {
  ASSERT_EQ(Cli("reg set Task_Test 'Wert mit \"Anführung\" und \\\\'"), 0);
  EXPECT_EQ(CliOutput("reg get TASK_TEST"), "Wert mit \"Anführung\" und \\\\\n");
  EXPECT_NE(CliOutput("reg list").find("Task_Test=Wert"), std::string::npos);
  ASSERT_EQ(Cli("reg set task_test neu"), 0);
  EXPECT_EQ(CliOutput("reg get Task_Test"), "neu\n");
  EXPECT_EQ(ReadFile(Hive()).rfind("REGEDIT4", 0), 0u);
  EXPECT_NE(ReadFile(Hive()).find("\"Task_Test\"=\"neu\""), std::string::npos);  // the first case is kept
  ASSERT_EQ(Cli("reg delete TASK_test"), 0);
  std::string output;
  EXPECT_EQ(Cli("reg get Task_Test", &output), 1);
  EXPECT_EQ(output, "Der Wert Task_Test ist nicht vorhanden.\n");
}

// Writers take turns through the mutex "OrnCfg" (--wait) and lose nothing.
TEST_F(CliTest, TwoWritersAtOnceLoseNothing) {
  const std::string cli = ORN_CLI_BINARY;
  const std::string script = "for i in $(seq 1 40); do " + cli + " reg set --wait 60 A$i $i || exit 1; done & " +
                             "for i in $(seq 1 40); do " + cli + " reg set --wait 60 B$i $i || exit 1; done & wait";
  ASSERT_EQ(RunCommand("bash -c '" + script + "'"), 0);
  const std::string list = CliOutput("reg list");
  for (int i = 1; i <= 40; ++i) {
    EXPECT_NE(list.find("\nA" + std::to_string(i) + "=" + std::to_string(i) + "\n"), std::string::npos) << i;
    EXPECT_NE(list.find("\nB" + std::to_string(i) + "=" + std::to_string(i) + "\n"), std::string::npos) << i;
  }
}

TEST_F(CliTest, DamagedHiveIsRefusedAndLeftUnchanged) {
  const std::string damaged = ReadFile(Hive()).substr(0, 60) + "\n\"Task_X\"=\"no end\n";
  test::WriteFile(Hive(), damaged);
  std::string output;
  EXPECT_EQ(Cli("reg set Task_DNS 0", &output), 1);
  EXPECT_EQ(output.rfind("Es konnte keine ORN!-Installation gefunden werden.\n"
                         "Fehlermeldung: Die Registry konnte nicht geöffnet werden\nGelesene Registry: " + Hive(), 0),
            0u) << output;
  EXPECT_EQ(Cli("reg get Task_DNS", &output), 1);
  EXPECT_EQ(output, "Die Registry konnte nicht geöffnet werden\n");
  EXPECT_EQ(Cli("status", &output), 1);
  EXPECT_NE(output.find("Es konnte keine ORN!-Installation gefunden werden."), std::string::npos);
  EXPECT_EQ(ReadFile(Hive()), damaged);
}

TEST_F(CliTest, ServerStartAndStop) {
  std::string output;
  ASSERT_EQ(Cli("server start", &output), 0) << output;
  ASSERT_TRUE(test::WaitFor([&] { return CliOutput("server status") == "ORN! läuft.\n"; }, 5000));
  EXPECT_EQ(Cli("server status"), 0);
  EXPECT_TRUE(test::PathExists(SocketPath()));
  ASSERT_EQ(Cli("server stop", &output), 0) << output;
  EXPECT_EQ(output, "ORN! wurde beendet.\n");
  // Stop returns only once the server is gone: its mutex and socket are gone with it.
  EXPECT_EQ(Cli("server status", &output), 3);  // as systemctl is-active says "not running"
  EXPECT_EQ(output, "ORN! läuft nicht.\n");
  EXPECT_FALSE(test::PathExists(SocketPath()));
}

TEST_F(CliTest, HelpOnEveryLevelAndWrongCalls) {
  for (const char* call : {"--help", "reg --help", "reg get --help", "server -h", "server stop --help",
                           "config check --help", "status --help"}) {
    std::string output;
    EXPECT_EQ(Cli(call, &output), 0) << call;
    EXPECT_EQ(output.rfind("Aufruf: orncfg-cli", 0), 0u) << call << ": " << output;
  }
  EXPECT_EQ(Cli("backup-everything"), 2);
  EXPECT_EQ(Cli(""), 2);
}

// Every verb takes its options the same way; a wrong option never shows a value it was given.
TEST_F(CliTest, CallsEndWithTheirCodeAndText) {
  const std::string config = ReadFile(demo_ + "/orn/orn.cfg");
  test::WriteFile(Scratch() / "truncated.cfg", config.substr(0, config.size() / 2));
  const std::string out = Scratch() / "users.csv";
  const std::string tabbed = Scratch() / "tabbed.csv";
  const std::string usage = "Aufruf: orncfg-cli backup [--output PFAD] [--keep N] [--plain] [--threads N] "
                            "[--password-file F] [--settings-password-file F] [--wait SEKUNDEN]\n";
  const struct {
    std::string call;
    int code;
    std::string output;
  } cases[] = {
      {"config check '" + Scratch() / "truncated.cfg" + "'", 1,
       "Die Konfigurationsdatei konnte nicht geprüft werden.\nFehlermeldung: Fehler beim Laden der Konfiguration\n"},
      {"reg get", 2, "Geben Sie den Namen eines Werts an.\nAufruf: orncfg-cli reg get NAME\n"},
      {"reg get -- --Task_DNS", 1, "Der Wert --Task_DNS ist nicht vorhanden.\n"},
      {"users export --separator=tab '" + tabbed + "'", 0, "Der Export wurde erfolgreich abgeschlossen. (36 Benutzer)\n"},
      {"--quiet users export '" + out + "' --separator ';'", 0, ""},
      {"server status --quiet", 3, ""},
      {"backup --password-file=Geheim1 --bogus=Geheim2", 2, "Unbekannte Angabe: --bogus\n" + usage},
      {"backup --plain=Geheim3", 2, "Die Angabe --plain nimmt keinen Wert.\n" + usage},
      {"backup --output", 2, "Zur Angabe --output fehlt der Wert.\n" + usage},
      {"backup --keep=0", 2, "Geben Sie für --keep eine Anzahl ab 1 an.\n" + usage},
      {"restore --json x.eff", 2, "Unbekannte Angabe: --json\nAufruf: orncfg-cli restore ARCHIVE [--password-file F] "
                                  "[--dry-run] [--no-start] [--settings-password-file F] [--wait SEKUNDEN]\n"},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(Cli(c.call, &output), c.code) << c.call;
    EXPECT_EQ(output, c.output) << c.call;
  }
  EXPECT_EQ(ReadFile(out).rfind("UserName;Name;E-Mail", 0), 0u);
  EXPECT_EQ(ReadFile(tabbed).rfind("UserName\tName\tE-Mail", 0), 0u);
  EXPECT_EQ(CliOutput("--version").rfind("orncfg-cli ", 0), 0u);
}

// --json gives one valid document that carries the facts of the text.
TEST_F(CliTest, JsonCarriesTheFactsOfTheText) {
  ASSERT_EQ(Cli("reg set Task_DNS 'an \"x\" \\ b\tc'"), 0);  // quotes, a backslash and a tab to escape
  test::WriteFile(Scratch() / "pw", "Geheim 1\n");
  const std::string pw = " --password-file '" + Scratch() / "pw" + "'";
  const std::string eff = Scratch() / "s.eff";
  const std::string zip = Scratch() / "arsp.zip";
  ASSERT_EQ(Cli("backup --output '" + eff + "'" + pw), 0);
  ASSERT_EQ(Cli("archive pack '" + zip + "' '" + demo_ + "/orn' arsp"), 0);
  for (const std::string& call : std::vector<std::string>{"status", "users list", "verify '" + eff + "'" + pw, "archive list '" + zip + "'",
                                  "eff info '" + eff + "'"}) {
    std::string text, json, report;
    ASSERT_EQ(RunCommand(std::string(ORN_CLI_BINARY) + " " + call, &text), 0) << call;
    ASSERT_EQ(RunCommand(std::string(ORN_CLI_BINARY) + " " + call + " --json", &json), 0) << call;
    test::WriteFile(Scratch() / "text", text);
    test::WriteFile(Scratch() / "json", json);
    EXPECT_EQ(RunCommand("python3 " ORN_SOURCE_DIR "/tests/cli/json_facts.py '" + Scratch() / "json" + "' '" +
                             Scratch() / "text" + "' 2>&1",
                         &report),
              0)
        << call << ": " << report << json;
  }
}

TEST_F(CliTest, SettingsPasswordIsNeverShown) {
  ApplyExports(InstallDemo("--protected"));
  std::string output;
  ASSERT_EQ(Cli("status", &output), 0);
  EXPECT_NE(output.find("durch ein Kennwort geschützt"), std::string::npos);
  EXPECT_NE(CliOutput("reg list").find("ConfigPassword=********\n"), std::string::npos);
  EXPECT_EQ(Cli("reg get ConfigPassword"), 1);
  EXPECT_EQ(Cli("reg set configpassword geheim"), 1);
}

TEST_F(CliTest, DemoInstallationIsReproducibleAndRealistic) {
  const auto first = test::TreeSnapshot(demo_ + "/orn");
  const std::string hive = ReadFile(Hive());
  InstallDemo("");
  EXPECT_EQ(test::TreeSnapshot(demo_ + "/orn"), first);
  EXPECT_EQ(ReadFile(Hive()), hive);

  size_t files = 0, folders = 0, dotted = 0, empty = 0;
  for (const auto& entry : fs::recursive_directory_iterator(demo_ + "/orn/arsp")) {
    files += entry.is_regular_file();
    folders += entry.is_directory();
    dotted += entry.path().filename().string()[0] == '.';
    empty += entry.is_directory() && fs::is_empty(entry.path());
  }
  EXPECT_GE(files, 200u);
  EXPECT_GE(folders, 40u);
  EXPECT_GE(dotted, 2u);
  EXPECT_GE(empty, 2u);
  // A folder that is not a demo installation is never overwritten.
  const std::string other = Scratch() / "other";
  fs::create_directories(other);
  test::WriteFile(other + "/keep.txt", "x");
  EXPECT_NE(RunCommand(std::string(ORN_DEMO_BINARY) + " '" + other + "' 2>/dev/null"), 0);
  EXPECT_EQ(ReadFile(other + "/keep.txt"), "x");
}

}  // namespace
}  // namespace orn
