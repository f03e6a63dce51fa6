// What orncfg-cli adds to backup and restore (BackupRestoreTest's): exit codes, dry runs, the
// settings password guard, the mutex, the server, and a restore killed at many moments.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <map>
#include <string>
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
using Snapshot = std::map<std::string, std::string>;

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
  std::string Pw() const { return " --password-file '" + Scratch() / "pw" + "'"; }
  // The installation and the hive, down to the modification times.
  Snapshot Written() const {
    auto written = test::TreeSnapshot(demo_ + "/orn");
    written["registry.reg"] = test::TreeSnapshot(demo_ + "/registry.reg").at("");
    return written;
  }
  // The regular files a backup takes (no safety copies, no names beginning with ".") -> content.
  Snapshot Files() const {
    Snapshot files;
    const std::string install = demo_ + "/orn";
    for (const auto& entry : fs::recursive_directory_iterator(install)) {
      const std::string rel = entry.path().string().substr(install.size() + 1);
      if (rel.rfind("backup", 0) != 0 && rel[0] != '.' && rel.find("/.") == std::string::npos &&
          entry.is_regular_file())
        files[rel] = ReadFile(entry.path());
    }
    return files;
  }
};

TEST_F(BackupCliTest, BackupVerifyRestore) {
  const std::string archive = Scratch() / "s.eff";
  std::string output;
  fs::create_directory_symlink("..", demo_ + "/orn/arsp/archiv/kreis");
  EXPECT_EQ(RunCli("backup --threads 0 --output '" + archive + "'" + Pw(), &output), 2);
  ASSERT_EQ(RunCli("backup --threads 3 --output '" + archive + "'" + Pw(), &output), 0) << output;
  EXPECT_EQ(output.rfind("Nicht gesichert: arsp\\archiv\\kreis: ", 0), 0u) << output;
  fs::remove(demo_ + "/orn/arsp/archiv/kreis");
  ASSERT_EQ(RunCli("verify '" + archive + "'" + Pw(), &output), 0) << output;
  EXPECT_EQ(RunCli("server status"), 0);  // neither backup nor verify stops the server

  ASSERT_EQ(RunCli("restore '" + archive + "'" + Pw(), &output), 0) << output;
  EXPECT_EQ(output.rfind("Die Konfiguration wurde von " + archive + " wiederhergestellt.\n", 0), 0u) << output;
  EXPECT_NE(output.find("ORN! wurde wieder gestartet.\n"), std::string::npos) << output;
  EXPECT_TRUE(test::WaitFor([&] { return RunCli("server status") == 0; }, 5000));

  // A file that cannot be put back: exit code 4; --no-start keeps ORN! stopped.
  test::WriteFile(demo_ + "/orn/arsp/README.txt", "schreibgeschützt");
  ASSERT_EQ(chmod((demo_ + "/orn/arsp/README.txt").c_str(), 0444), 0);
  EXPECT_EQ(RunCli("restore --no-start '" + archive + "'" + Pw(), &output), 4) << output;
  EXPECT_NE(output.find("ORN! bleibt beendet; 'orncfg-cli server start' startet es wieder.\n"), std::string::npos);
  EXPECT_EQ(RunCli("server status", &output), 3);
  EXPECT_EQ(output, "ORN! läuft nicht.\n");
}

TEST_F(BackupCliTest, RestoreDryRunListsChangesAndWritesNothing) {
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(RunCli("backup --output '" + archive + "'" + Pw()), 0);
  ASSERT_TRUE(fs::remove(demo_ + "/orn/arsp/README.txt"));
  ASSERT_EQ(RunCli("reg set Task_DNS 0"), 0);
  test::WriteFile(Scratch() / "extra.csv", "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
  ASSERT_EQ(RunCli("users import '" + Scratch() / "extra.csv" + "'"), 0);

  const auto before = Written();
  std::string output;
  ASSERT_EQ(RunCli("restore --dry-run '" + archive + "'" + Pw(), &output), 0) << output;
  EXPECT_TRUE(Written() == before);
  for (const char* line : {"  ersetzt     orn.cfg\n", "  hinzugefügt arsp/README.txt\n", "  ersetzt     Task_DNS\n",
                           "  entfällt    neu\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << " in\n" << output;
  EXPECT_EQ(output.find("dnspass.cfg"), std::string::npos) << output;  // unchanged files stay out
  EXPECT_EQ(RunCli("server status"), 0);
}

// On the protected demo the verbs ask for the settings password; without the right one nothing changes.
TEST_F(BackupCliTest, ProtectedDemoGuardsEveryVerb) {
  ASSERT_TRUE(test::UseDemoInstallation(demo_, "--protected"));
  test::WriteFile(Scratch() / "wrong", "Demo\n");
  test::WriteFile(Scratch() / "settings", "demo\n");
  const std::string archive = Scratch() / "s.eff", settings = " --settings-password-file '" + Scratch() / "settings'";
  ASSERT_EQ(RunCli("backup --output '" + archive + "'" + Pw() + settings), 0);
  const std::string verbs[] = {
      "backup --output '" + Scratch() / "b.eff'" + Pw(),
      "restore '" + archive + "'" + Pw(),
      "import-config '" + demo_ + "/import/filiale.cfg' --product-code-file /dev/null",
      "reg set Task_DNS 0",
  };
  const auto before = Written();
  for (const std::string& verb : verbs) {
    std::string output;
    EXPECT_EQ(RunCli(verb, &output), 1) << verb;
    EXPECT_NE(output.find("--settings-password-file"), std::string::npos) << verb << ": " << output;
    EXPECT_EQ(RunCli(verb + " --settings-password-file '" + Scratch() / "wrong" + "'", &output), 1) << verb;
    EXPECT_EQ(output, "Das Kennwort ist falsch!\n") << verb;
  }
  EXPECT_TRUE(Written() == before);
  EXPECT_FALSE(fs::exists(Scratch() / "b.eff"));

  // A damaged enciphered value (80 characters) keeps the settings locked.
  std::string hive = ReadFile(demo_ + "/registry.reg");
  hive.replace(hive.find("\"ConfigPassword\"=\"") + 18, 80, std::string(80, 'z'));
  test::WriteFile(demo_ + "/registry.reg", hive);
  std::string output;
  EXPECT_EQ(RunCli("users list" + settings, &output), 1);
  EXPECT_EQ(output.rfind("Das gespeicherte Kennwort der Einstellungen ist beschädigt", 0), 0u) << output;
}

// A run finds "OrnCfg" held (by a wizard or another run): it changes nothing and ends with 3, or
// waits with --wait.
TEST_F(BackupCliTest, OneRunAtATime) {
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(RunCli("backup --output '" + archive + "'" + Pw()), 0);
  HANDLE wizard = CreateMutexGlobal(nullptr, 0, "OrnCfg");
  ASSERT_NE(wizard, nullptr);
  const auto before = Files();
  std::string output;
  EXPECT_EQ(RunCli("restore '" + archive + "'" + Pw(), &output), 3);
  EXPECT_EQ(output, "Ein anderer Lauf von orncfg ist bereits aktiv.\n");
  EXPECT_EQ(Files(), before);
  auto waiting =
      std::async(std::launch::async, [&] { return RunCli("restore '" + archive + "'" + Pw() + " --wait 30"); });
  usleep(300000);
  CloseHandle(wizard);
  EXPECT_EQ(waiting.get(), 0);
}

// A restore killed at any moment leaves each file as it was or as in the archive, never torn.
TEST_F(BackupCliTest, KilledRestoreLeavesNoTornFile) {
  const std::string archive = Scratch() / "s.eff", password = Scratch() / "pw";
  ASSERT_EQ(RunCli("backup --output '" + archive + "'" + Pw()), 0);
  const auto saved = Files();
  // Every file the restore writes gets other content; orn.cfg through an import, so it still loads.
  Snapshot changed;
  for (const auto& [rel, content] : saved)
    if (rel != "orn" && rel != "orn.cfg") test::WriteFile(demo_ + "/orn/" + rel, changed[rel] = content + "changed\n");
  test::WriteFile(Scratch() / "extra.csv", "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
  ASSERT_EQ(RunCli("users import '" + Scratch() / "extra.csv" + "'"), 0);
  changed["orn.cfg"] = ReadFile(demo_ + "/orn/orn.cfg");
  const auto startRestore = [&] {
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1), dup2(null, 2);
      execl(ORN_CLI_BINARY, "orncfg-cli", "restore", archive.c_str(), "--password-file", password.c_str(), nullptr);
      _exit(127);
    }
    return pid;
  };
  const auto holds = [](const Snapshot& s, const std::string& rel, const std::string& content) {
    return s.count(rel) && s.at(rel) == content;
  };
  const auto putBack = [&] {
    for (const auto& [rel, content] : changed) test::WriteFile(demo_ + "/orn/" + rel, content);
  };
  // One whole run tells how long a restore takes here; the kills are spread over that time.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCli("restore '" + archive + "'" + Pw()), 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  putBack();
  for (int step = 1; step < 8; ++step) {
    const pid_t pid = startRestore();
    usleep(static_cast<useconds_t>(whole.count() * step / 8));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // A writer killed half way leaves its temporary (dot) file beside the target: never the target.
    for (const auto& [rel, content] : Files()) {
      if (rel == "orn") continue;
      EXPECT_TRUE(holds(changed, rel, content) || holds(saved, rel, content)) << rel << " at " << step;
    }
    putBack();
  }
  // The next run clears away what the killed ones left.
  ASSERT_EQ(RunCli("restore '" + archive + "'" + Pw()), 0);
  for (const auto& entry : fs::recursive_directory_iterator(demo_ + "/orn"))
    EXPECT_NE(entry.path().filename().string().rfind(".orn-tmp-", 0), 0u) << entry.path();
}

}  // namespace
}  // namespace orn
