// orncfg-cli backup, verify and restore from the outside, and a restore killed at many moments.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCommand;

class BackupCliTest : public test::IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    demo_ = Scratch() / "demo";
    ASSERT_EQ(RunCommand(std::string(ORN_DEMO_BINARY) + " '" + demo_ + "' >/dev/null"), 0);
    setenv("ORN_REGISTRY", (demo_ + "/registry.reg").c_str(), 1);
    setenv("ORN_RUNTIME_DIR", (demo_ + "/run").c_str(), 1);
    setenv("TEMP", (demo_ + "/tmp").c_str(), 1);
    test::WriteFile(Scratch() / "pw", "Geheim 1\n");
    ASSERT_EQ(Cli("server start"), 0);
  }
  void TearDown() override {
    Cli("server stop");
    IsolatedTest::TearDown();
  }
  int Cli(const std::string& arguments, std::string* output = nullptr) {
    return RunCommand(std::string(ORN_CLI_BINARY) + " " + arguments + " 2>&1 </dev/null", output);
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
  std::string demo_;
};

TEST_F(BackupCliTest, BackupVerifyRestore) {
  const std::string archive = Scratch() / "s.eff";
  std::string output;
  fs::create_directory_symlink("..", demo_ + "/orn/arsp/archiv/kreis");
  EXPECT_EQ(Cli("backup --threads 0 --output '" + archive + "' " + PasswordFile(), &output), 2);
  ASSERT_EQ(Cli("backup --threads 3 --output '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_EQ(output, "Nicht gesichert: arsp\\archiv\\kreis: Verknüpfung auf einen übergeordneten Ordner (Schleife)\n"
                    "Die Konfiguration wurde unter " + archive + " gesichert.\n");
  fs::remove(demo_ + "/orn/arsp/archiv/kreis");
  // Without a settings password every backup is encrypted.
  EXPECT_EQ(Cli("backup --plain --output '" + Scratch() / "p.zip" + "'", &output), 1);

  ASSERT_EQ(Cli("verify '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_NE(output.find("Benutzer: 36\nE-Mail-Adressen: 32\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  arsp\n"), std::string::npos);
  EXPECT_NE(output.find("  Task_DNS      1\n"), std::string::npos);
  EXPECT_EQ(Cli("server status", &output), 0);
  EXPECT_EQ(output, "ORN! läuft.\n");  // neither backup nor verify stops the server

  test::WriteFile(demo_ + "/orn/mid.cfg", "geändert\n");
  ASSERT_EQ(Cli("restore '" + archive + "' " + PasswordFile(), &output), 0) << output;
  EXPECT_EQ(output.rfind("Die Konfiguration wurde von " + archive + " wiederhergestellt.\n", 0), 0u) << output;
  EXPECT_EQ(ReadFile(demo_ + "/orn/mid.cfg"), "MessageIdDomain=firma-demo.de\n");
  EXPECT_EQ(Cli("server status", &output), 0);
  EXPECT_EQ(output, "ORN! läuft nicht.\n");

  test::WriteFile(Scratch() / "wrong", "falsch\n");
  EXPECT_EQ(Cli("restore '" + archive + "' --password-file '" + Scratch() / "wrong" + "'", &output), 1);
  EXPECT_EQ(output.rfind("Die Datei konnte nicht entschlüsselt werden.", 0), 0u) << output;
}

TEST_F(BackupCliTest, SettingsPasswordIsAskedAsTheWizardAsks) {
  ASSERT_EQ(RunCommand(std::string(ORN_DEMO_BINARY) + " '" + demo_ + "' --protected >/dev/null"), 0);
  test::WriteFile(Scratch() / "settings", "demo\n");
  test::WriteFile(Scratch() / "Settings", "Demo\n");
  std::string output;
  EXPECT_EQ(Cli("backup --plain --output '" + Scratch() / "p.zip" + "'", &output), 1);
  EXPECT_EQ(Cli("backup --plain --output '" + Scratch() / "p.zip" + "' --settings-password-file '" +
                    Scratch() / "Settings" + "'", &output), 1);
  EXPECT_EQ(output, "Das Kennwort ist falsch!\n");
  ASSERT_EQ(Cli("backup --plain --output '" + Scratch() / "p.zip" + "' --settings-password-file '" +
                    Scratch() / "settings" + "'", &output), 0) << output;
  EXPECT_TRUE(fs::exists(Scratch() / "p.zip"));
}

// A restore killed at any moment leaves each file as it was or as in the archive, never torn.
TEST_F(BackupCliTest, KilledRestoreLeavesNoTornFile) {
  const std::string archive = Scratch() / "s.eff";
  ASSERT_EQ(Cli("backup --output '" + archive + "' " + PasswordFile()), 0);
  const auto saved = Files();
  // Change every file the restore writes, so that each one's old and new content differ.
  for (const auto& [rel, content] : saved)
    if (rel != "orn" && rel != "orn.cfg") test::WriteFile(demo_ + "/orn/" + rel, content + "changed\n");
  std::map<std::string, std::string> changed = Files();
  changed.erase("orn");  // the running server's program is not the restore's business
  {
    test::WriteFile(Scratch() / "extra.csv", "Name,FullName,E-Mail\nneu,Neu,neu@x.de\n");
    ASSERT_EQ(Cli("users import '" + Scratch() / "extra.csv" + "'"), 0);
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
      // A writer killed half way leaves its temporary file beside the target: never the target.
      const std::string name = fs::path(rel).filename().string();
      if (rel == "orn" || name.rfind("orn-tmp-", 0) == 0 || name.find(".tmp.") != std::string::npos) continue;
      const auto before = changed.find(rel);
      const auto after = saved.find(rel);
      const bool old = before != changed.end() && before->second == content;
      const bool restored = after != saved.end() && after->second == content;
      EXPECT_TRUE(old || restored) << rel << " torn at step " << step;
    }
    putBack();
  }
}

}  // namespace
}  // namespace orn
