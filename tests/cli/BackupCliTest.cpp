// orncfg-cli backup, verify and restore from the outside, and a restore killed at many moments.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "oskasys/oskasys.h"
#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCli;
using test::RunCommand;

class BackupCliTest : public test::DemoTest {
 protected:
  void SetUp() override {
    DemoTest::SetUp();
    test::WriteFile(Scratch() / "pw", "Geheim 1\n");
    ASSERT_EQ(RunCli("server start"), 0);
  }
  void TearDown() override {
    RunCli("server stop");
    DemoTest::TearDown();
  }
  // The installation and the hive, down to the modification times.
  std::map<std::string, std::string> Written() const {
    auto written = test::TreeSnapshot(demo_ + "/orn");
    written["registry.reg"] = test::TreeSnapshot(demo_ + "/registry.reg").at("");
    return written;
  }
  std::string PasswordFile() const { return "--password-file '" + Scratch() / "pw" + "'"; }
  // Every regular file of the installation that a backup takes (no safety copies, no names
  // beginning with "."): path -> content.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    const std::string install = demo_ + "/orn";
    for (const auto& entry : fs::recursive_directory_iterator(install)) {
      const std::string rel = entry.path().string().substr(install.size() + 1);
      if (rel.rfind("backup", 0) == 0 || rel[0] == '.' || rel.find("/.") != std::string::npos) continue;
      if (entry.is_regular_file()) files[rel] = ReadFile(entry.path());
    }
    return files;
  }
  // The paths whose content differs between two snapshots (short enough to print).
  static std::vector<std::string> Differences(const std::map<std::string, std::string>& a,
                                              const std::map<std::string, std::string>& b) {
    std::vector<std::string> paths;
    for (const auto& [rel, content] : a)
      if (!b.count(rel) || b.at(rel) != content) paths.push_back(rel);
    for (const auto& [rel, content] : b)
      if (!a.count(rel)) paths.push_back(rel);
    return paths;
  }
};

TEST_F(BackupCliTest, BackupVerifyRestore) {
  const std::string archive = Scratch() / "s.eff";
  std::string output;
  fs::create_directory_symlink("..", demo_ + "/orn/arsp/archiv/kreis");
  EXPECT_EQ(RunCli("backup --threads 0 --output '" + archive + "' " + PasswordFile(), &output), 2);
  ASSERT_EQ(RunCli("backup --threads 3 --output '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_EQ(output,
            "Nicht gesichert: arsp\\archiv\\kreis: Verknüpfung auf einen übergeordneten Ordner (Schleife)\n"
            "Die Konfiguration wurde unter " +
                archive + " gesichert.\n");
  fs::remove(demo_ + "/orn/arsp/archiv/kreis");
  // Without a settings password every backup is encrypted.
  EXPECT_EQ(RunCli("backup --plain --output '" + Scratch() / "p.zip" + "'", &output), 1);

  ASSERT_EQ(RunCli("verify '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_NE(output.find("Benutzer: 36\nE-Mail-Adressen: 32\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  arsp\n"), std::string::npos);
  EXPECT_NE(output.find("  Task_DNS      1\n"), std::string::npos);
  EXPECT_EQ(RunCli("server status", &output), 0);
  EXPECT_EQ(output, "ORN! läuft.\n");  // neither backup nor verify stops the server

  test::WriteFile(demo_ + "/orn/mid.cfg", "geändert\n");
  ASSERT_EQ(RunCli("restore '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_EQ(output.rfind("Die Konfiguration wurde von " + archive +
                             " wiederhergestellt.\n"
                             "Die ersetzten Dateien liegen in " +
                             demo_ + "/orn/backup/orncfg/",
                         0),
            0u)
      << output;
  EXPECT_NE(output.find("ORN! wurde wieder gestartet.\n"), std::string::npos) << output;
  EXPECT_EQ(ReadFile(demo_ + "/orn/mid.cfg"), "MessageIdDomain=firma-demo.de\n");
  EXPECT_TRUE(test::WaitFor([&] { return RunCli("server status") == 0; }, 5000));

  // A file that cannot be put back: the messages, then exit code 4; --no-start keeps ORN! stopped.
  test::WriteFile(demo_ + "/orn/arsp/README.txt", "schreibgeschützt");
  ASSERT_EQ(chmod((demo_ + "/orn/arsp/README.txt").c_str(), 0444), 0);
  EXPECT_EQ(RunCli("restore --no-start '" + archive + "' " + PasswordFile(), &output), 4) << output;
  EXPECT_NE(output.find("Das Verzeichnis arsp konnte nicht kopiert werden."), std::string::npos) << output;
  EXPECT_NE(output.find("ORN! bleibt beendet; 'orncfg-cli server start' startet es wieder.\n"), std::string::npos);
  EXPECT_EQ(RunCli("server status", &output), 3);
  EXPECT_EQ(output, "ORN! läuft nicht.\n");
}

TEST_F(BackupCliTest, RestoreDryRunListsChangesAndWritesNothing) {
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(RunCli("backup --output '" + archive + "' " + PasswordFile()), 0);
  test::WriteFile(demo_ + "/orn/mid.cfg", "geändert\n");
  std::string removed;
  for (const auto& entry : fs::recursive_directory_iterator(demo_ + "/orn/arsp"))
    if (entry.is_regular_file() && removed.empty() && entry.path().string().find("/.") == std::string::npos)
      removed = entry.path().string();
  fs::remove(removed);
  ASSERT_EQ(RunCli("reg set Task_DNS 0"), 0);
  test::WriteFile(Scratch() / "extra.csv", "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
  ASSERT_EQ(RunCli("users import '" + Scratch() / "extra.csv" + "'"), 0);

  const auto before = Written();
  std::string output;
  ASSERT_EQ(RunCli("restore --dry-run '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_EQ(Differences(Written(), before), std::vector<std::string>{});
  for (const std::string& line : std::vector<std::string>{"  ersetzt     orn.cfg\n", "  ersetzt     mid.cfg\n",
                                                          "  hinzugefügt " + removed.substr(demo_.size() + 5) + "\n",
                                                          "  ersetzt     Task_DNS\n", "  entfällt    neu\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << " in\n" << output;
  EXPECT_EQ(output.find("dnspass.cfg"), std::string::npos) << output;  // unchanged files stay out
  EXPECT_EQ(RunCli("server status"), 0);
}

// On the protected demo every verb that reads or changes the configuration or its key asks for
// the settings password first; a wrong one, none, or a stored value that cannot be deciphered
// changes nothing.
TEST_F(BackupCliTest, ProtectedDemoGuardsEveryVerb) {
  ASSERT_TRUE(test::UseDemoInstallation(demo_, "--protected"));
  const std::string csv = Scratch() / "u.csv";
  test::WriteFile(csv, "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
  test::WriteFile(Scratch() / "wrong", "Demo\n");
  test::WriteFile(Scratch() / "settings", "demo\n");
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(RunCli("backup --output '" + archive + "' " + PasswordFile() + " --settings-password-file '" +
                   Scratch() / "settings" + "'"),
            0);
  const std::string verbs[] = {
      "backup --output '" + Scratch() / "b.eff" + "' " + PasswordFile(),
      "restore '" + archive + "' " + PasswordFile(),
      "users list",
      "users export '" + Scratch() / "e.csv" + "'",
      "users import '" + csv + "'",
      "users import-ldap 127.0.0.1:1",
      "users import-network .",
      "import-config '" + demo_ + "/import/filiale.cfg' --product-code-file /dev/null",
      "reg set Task_DNS 0",
      "reg delete ConfigPassword",
  };
  const auto before = Written();
  for (const std::string& verb : verbs) {
    std::string output;
    EXPECT_EQ(RunCli(verb, &output), 1) << verb;
    EXPECT_NE(output.find("--settings-password-file"), std::string::npos) << verb << ": " << output;
    EXPECT_EQ(RunCli(verb + " --settings-password-file '" + Scratch() / "wrong" + "'", &output), 1) << verb;
    EXPECT_EQ(output, "Das Kennwort ist falsch!\n") << verb;
  }
  EXPECT_EQ(Differences(Written(), before), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(Scratch() / "b.eff"));
  EXPECT_FALSE(fs::exists(Scratch() / "e.csv"));

  // A damaged enciphered value (80 characters) keeps the settings locked.
  std::string hive = ReadFile(demo_ + "/registry.reg");
  const size_t value = hive.find("\"ConfigPassword\"=\"") + 18;
  hive.replace(value, 80, std::string(80, 'z'));
  test::WriteFile(demo_ + "/registry.reg", hive);
  std::string output;
  EXPECT_EQ(RunCli("users list --settings-password-file '" + Scratch() / "settings" + "'", &output), 1);
  EXPECT_EQ(output.rfind("Das gespeicherte Kennwort der Einstellungen ist beschädigt", 0), 0u) << output;
}

// Two runs at once: the second finds "OrnCfg" held, changes nothing and ends with 3, or waits.
TEST_F(BackupCliTest, OneRunAtATime) {
  const std::string fifo = Scratch() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string first = Scratch() / "first.eff", second = Scratch() / "second.eff";
  // The first backup holds the mutex until its password arrives through the pipe.
  auto running = std::async(std::launch::async,
                            [&] { return RunCli("backup --output '" + first + "' --password-file '" + fifo + "'"); });
  EXPECT_TRUE(test::WaitFor(
      [] {  // no ASSERT: the pipe below must be fed in any case
        HANDLE held = OpenMutexGlobal(SYNCHRONIZE, 0, "OrnCfg");
        CloseHandle(held);
        return held != nullptr;
      },
      5000));
  std::string output;
  EXPECT_EQ(RunCli("backup --output '" + second + "' " + PasswordFile(), &output), 3);
  EXPECT_EQ(output, "Ein anderer Lauf von orncfg ist bereits aktiv.\n");
  EXPECT_FALSE(fs::exists(second));
  test::WriteFile(fifo, "Geheim 1\n");
  ASSERT_EQ(running.get(), 0);
  ASSERT_EQ(RunCli("verify '" + first + "' " + PasswordFile(), &output), 0) << output;

  // A wizard (or any process) holding "OrnCfg": a restore refuses at once, or waits with --wait.
  HANDLE wizard = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(wizard, nullptr);
  const auto before = Files();
  EXPECT_EQ(RunCli("restore '" + first + "' " + PasswordFile(), &output), 3);
  EXPECT_EQ(Files(), before);
  auto waiting = std::async(std::launch::async,
                            [&] { return RunCli("restore '" + first + "' " + PasswordFile() + " --wait 30"); });
  usleep(300000);
  CloseHandle(wizard);
  EXPECT_EQ(waiting.get(), 0);
}

// A dry run changes no byte and no file, and needs no write access to hive or installation.
TEST_F(BackupCliTest, DryRunWritesNothing) {
  test::WriteFile(Scratch() / "code", "B3M7N1P5Q9R2S6T4V8\n");
  ASSERT_EQ(RunCommand("chmod -R a-w '" + demo_ + "/orn' '" + demo_ + "/registry.reg'"), 0);
  const auto before = Written();
  std::string output;
  EXPECT_EQ(RunCli("import-config '" + demo_ + "/import/filiale.cfg' --dry-run --product-code-file '" +
                       Scratch() / "code" + "'",
                   &output),
            0)
      << output;
  EXPECT_EQ(output.rfind("Probelauf", 0), 0u) << output;
  EXPECT_EQ(Differences(Written(), before), std::vector<std::string>{});
  RunCommand("chmod -R u+w '" + demo_ + "/orn' '" + demo_ + "/registry.reg'");
}

// A restore killed at any moment leaves each file as it was or as in the archive, never torn.
TEST_F(BackupCliTest, KilledRestoreLeavesNoTornFile) {
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(RunCli("backup --output '" + archive + "' " + PasswordFile()), 0);
  const auto saved = Files();
  // Change every file the restore writes, so that each one's old and new content differ.
  for (const auto& [rel, content] : saved)
    if (rel != "orn" && rel != "orn.cfg") test::WriteFile(demo_ + "/orn/" + rel, content + "changed\n");
  std::map<std::string, std::string> changed = Files();
  changed.erase("orn");  // the running server's program is not the restore's business
  {
    test::WriteFile(Scratch() / "extra.csv", "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
    ASSERT_EQ(RunCli("users import '" + Scratch() / "extra.csv" + "'"), 0);
    changed["orn.cfg"] = ReadFile(demo_ + "/orn/orn.cfg");
  }
  auto startRestore = [&] {
    const pid_t pid = fork();
    if (pid == 0) {
      const std::string cli = ORN_CLI_BINARY;
      const std::string password = Scratch() / "pw";
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl(cli.c_str(), cli.c_str(), "restore", archive.c_str(), "--password-file", password.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid;
  };
  auto putBack = [&] {
    for (const auto& [rel, content] : changed) test::WriteFile(demo_ + "/orn/" + rel, content);
  };
  // One whole run tells how long a restore takes here; the kills are spread over that time.
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(startRestore(), &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(Differences(Files(), saved), std::vector<std::string>{});  // a whole run puts everything back
  putBack();
  for (int step = 1; step < 8; ++step) {
    const pid_t pid = startRestore();
    usleep(static_cast<useconds_t>(whole.count() * step / 8));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    for (const auto& [rel, content] : Files()) {
      // A writer killed half way leaves its temporary (dot) file beside the target: never the target.
      if (rel == "orn") continue;
      const auto before = changed.find(rel);
      const auto after = saved.find(rel);
      const bool old = before != changed.end() && before->second == content;
      const bool restored = after != saved.end() && after->second == content;
      EXPECT_TRUE(old || restored) << rel << " torn at step " << step;
    }
    putBack();
  }
  // The next run clears away what the killed ones left.
  ASSERT_EQ(waitpid(startRestore(), &status, 0) > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  for (const auto& entry : fs::recursive_directory_iterator(demo_ + "/orn"))
    EXPECT_NE(entry.path().filename().string().rfind(".orn-tmp-", 0), 0u) << entry.path();
}

}  // namespace
}  // namespace orn
