// Backup and restore end to end on a demo installation with the stand-in server running.
#include <csignal>
#include <filesystem>
#include <algorithm>
#include <map>
#include <string>
#include <sys/wait.h>

#include "backup/Backup.h"
#include "backup/Restore.h"
#include "files/TreeHelpers.h"
#include "files/ZipReader.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "install/Server.h"
#include "install/ServerStop.h"
#include "oskasys/oskasys.h"
#include "platform/Process.h"
#include "support/TestSupport.h"
#include "users/ConfigUsers.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

namespace fs = std::filesystem;

struct Answers : RestoreInteraction {
  explicit Answers(std::optional<std::string> password) : password(std::move(password)) {}
  std::optional<std::string> AskArchivePassword() override { return password; }
  void ShowMessage(const std::string&) override {}
  std::optional<std::string> password;
};

bool ServerRunning() {
  HANDLE m = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  CloseHandle(m);
  return m != nullptr;
}

class BackupRestoreTest : public test::DemoTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(DemoTest::SetUp());
    RestartServer();
    ASSERT_TRUE(test::WaitFor(ServerRunning, 5000));
  }
  void TearDown() override {
    ResetStopServerClock();
    if (ServerRunning()) StopServer();
    IsolatedTest::TearDown();
  }
  std::string Backup(bool encrypt, const std::string& name = "sicherung") {
    const BackupResult result = RunBackup({Scratch() / name, encrypt, "Geheim!", "Geheim!"});
    EXPECT_TRUE(result.success) << result.message;
    return result.archivePath;
  }
  // Every file below the installation (safety copies left out): relative path -> content.
  std::map<std::string, std::string> Files() const {
    auto files = test::Contents(install_);
    std::erase_if(files, [](const auto& file) { return file.first.rfind("backup", 0) == 0; });
    return files;
  }
  // Task_DNS as it is, after setting it to value when one is given.
  std::string TaskDns(const char* value = nullptr) {
    RegistryKey key(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess);
    std::string text;
    if (value) key.SetString("Task_DNS", value);
    key.GetString("Task_DNS", text);
    return text;
  }
  std::string SafetyFolder() const { return install_ + "/backup/orncfg/" + FormatLocalTime(time(nullptr), "%d%m%y"); }

  const std::string install_ = demo_ + "/orn";
};

TEST_F(BackupRestoreTest, RestoreGivesBackWhatTheBackupSaw) {
  const auto before = Files();
  const auto users = test::Names(ReadUsers((install_ + "/orn.cfg").c_str()));
  const std::string archive = Backup(true);
  EXPECT_EQ(archive, Scratch() / "sicherung.eff");
  EXPECT_TRUE(ServerRunning());  // a backup leaves the server alone
  EXPECT_FALSE(fs::exists(demo_ + "/tmp/orncfg"));

  // Change what a restore puts back, and add what it must keep.
  ImportUserList extra;
  extra.Append({"spaeter", "Später Angelegt", {}});
  AddUsers((install_ + "/orn.cfg").c_str(), extra);
  test::WriteFile(install_ + "/blacklist.cfg", "geändert\n");
  fs::remove(install_ + "/arsp/README.txt");
  test::WriteFile(install_ + "/arsp/neu.txt", "nach der Sicherung\n");
  TaskDns("0");

  Answers answers("Geheim!");
  const RestoreResult result = RunRestore(archive, answers);
  ASSERT_EQ(result.outcome, RestoreOutcome::Restored) << result.message;
  EXPECT_EQ(result.message, "Die Konfiguration wurde von " + archive + " wiederhergestellt.\n");
  EXPECT_FALSE(ServerRunning());

  auto after = Files(), expected = before;
  EXPECT_EQ(after.erase("arsp/neu.txt"), 1u);  // files added after the backup stay
  after.erase("orn.cfg"), expected.erase("orn.cfg");
  EXPECT_EQ(after, expected);
  EXPECT_EQ(test::Names(ReadUsers((install_ + "/orn.cfg").c_str())), users);
  EXPECT_EQ(TaskDns(), "1");
  // The safety copies hold what was replaced.
  EXPECT_EQ(test::ReadFile(SafetyFolder() + "/blacklist.cfg"), "geändert\n");
  EXPECT_FALSE(fs::exists(demo_ + "/tmp/orn"));
}

// Data moved to another disk behind links, a tree of a few thousand files and leftovers of a killed
// run: every byte lands in the link's target and the safety copy holds what was replaced (links
// inside the tree are the tree replacement's, TreeReplacementTest).
TEST_F(BackupRestoreTest, RestoreIntoLinkedDataKeepsLinksAndSafetyCopies) {
  fs::create_directory(install_ + "/arsp/viele");
  for (int i = 0; i < 2000; ++i)
    test::WriteFile(install_ + "/arsp/viele/" + std::to_string(i), std::string(i % 97, 'x'));
  const auto before = test::Contents(install_ + "/arsp");
  const std::string table = test::ReadFile(install_ + "/blacklist.cfg");
  const std::string archive = Backup(false);

  const std::string disk = demo_ + "/disk";
  fs::create_directories(disk);
  fs::rename(install_ + "/arsp", disk + "/arsp");
  fs::create_directory_symlink(disk + "/arsp", install_ + "/arsp");
  fs::rename(install_ + "/blacklist.cfg", disk + "/blacklist.cfg");
  fs::create_symlink(disk + "/blacklist.cfg", install_ + "/blacklist.cfg");
  test::WriteFile(disk + "/blacklist.cfg", "geändert\n");
  test::WriteFile(install_ + "/bpjslist.cfg", "vor der Wiederherstellung\n");
  test::WriteFile(disk + "/arsp/viele/0", "geändert");
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string leftover = "/.orn-tmp-" + std::to_string(gone) + "-0-0";
  for (const std::string& folder : {install_, disk + "/arsp/viele", SafetyFolder()}) {
    fs::create_directories(folder);
    test::WriteFile(folder + leftover, "halb");
  }

  Answers answers(std::nullopt);
  const RestoreResult result = RunRestore(archive, answers);
  ASSERT_EQ(result.outcome, RestoreOutcome::Restored) << result.message;

  EXPECT_TRUE(fs::is_symlink(install_ + "/arsp") && fs::is_symlink(install_ + "/blacklist.cfg"));
  EXPECT_EQ(test::ReadFile(disk + "/blacklist.cfg"), table);
  EXPECT_EQ(test::Contents(disk + "/arsp"), before);

  EXPECT_EQ(test::ReadFile(SafetyFolder() + "/bpjslist.cfg"), "vor der Wiederherstellung\n");
  EXPECT_EQ(test::ReadFile(SafetyFolder() + "/blacklist.cfg"), "geändert\n");
  EXPECT_EQ(test::ReadFile(SafetyFolder() + "/arsp/viele/0"), "geändert");
  EXPECT_EQ(fs::status(SafetyFolder() + "/orn.cfg").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  for (const std::string& folder : {install_, disk + "/arsp/viele", SafetyFolder()})
    EXPECT_FALSE(fs::exists(folder + leftover)) << folder;
}

// Entry attributes and bytes are the writer's and the packer's (tests/files); here what a backup
// puts in, in which order.
TEST_F(BackupRestoreTest, ArchiveLayout) {
  const std::string archive = Backup(false);
  const auto names = CZipReader(archive).EntryNames();
  ASSERT_GT(names.size(), 20u);
  // Table order, missing files left out; the two rows of bpjslist.cfg give two entries.
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
            (std::vector<std::string>{"orn.cfg", "reg.cfg", "dnsfilt.cfg"}));
  EXPECT_EQ(std::count(names.begin(), names.end(), "bpjslist.cfg"), 2);
  const auto arsp = std::find(names.begin(), names.end(), "arsp");
  ASSERT_NE(arsp, names.end());
  for (auto it = arsp + 1; it != names.end(); ++it) {
    EXPECT_EQ(it->rfind("arsp\\", 0), 0u) << *it;
    EXPECT_EQ(it->find("\\."), std::string::npos) << *it;  // names beginning with "." stay out
  }
}

// A table file moved to another disk and linked is packed as what it points to (what the packer
// leaves out and why is ZipPackerTest's and, as the user reads it, BackupCliTest's).
TEST_F(BackupRestoreTest, LinkedTableFilesAreBackedUp) {
  fs::rename(install_ + "/mid.cfg", demo_ + "/mid.cfg");
  fs::create_symlink(demo_ + "/mid.cfg", install_ + "/mid.cfg");
  const auto names = CZipReader(Backup(false)).EntryNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "mid.cfg"), names.end());
}

TEST_F(BackupRestoreTest, BackupRulesAndFailures) {
  // A plain archive holds passwords in clear: private also when it replaces a readable file.
  test::WriteFile(Scratch() / "x.zip", "alt");
  fs::permissions(Scratch() / "x.zip", fs::perms(0644));
  const BackupResult plain = RunBackup({Scratch() / "x.tar", false, "", ""});
  EXPECT_EQ(plain.message, "Die Konfiguration wurde unter " + Scratch() / "x.zip" + " gesichert.");
  EXPECT_EQ(fs::status(Scratch() / "x.zip").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  // A target folder that does not exist included: the working folder goes.
  const struct {
    BackupRequest request;
    std::string message;
  } failures[] = {
      {{"", true, "a", "a"}, "Geben Sie bitte einen gültigen Dateipfad an."},
      {{Scratch() / "x.tar", true, "", ""}, "Geben Sie bitte ein Kennwort an."},
      {{Scratch() / "x.tar", true, "a", "A"}, "Die angegebenen Kennwörter stimmen nicht überein."},
      {{Scratch() / "nowhere/x.eff", true, "a", "a"}, "Die Komprimierung schlug fehl."},
      {{Scratch() / "nowhere/x.zip", false, "", ""}, "Die Konfiguration konnte nicht kopiert werden."},
  };
  for (const auto& f : failures) {
    EXPECT_EQ(RunBackup(f.request).message, f.message);
    EXPECT_FALSE(fs::exists(demo_ + "/tmp/orncfg")) << f.message;
  }

  fs::remove(install_ + "/orn.cfg");
  EXPECT_EQ(RunBackup({Scratch() / "y", true, "a", "a"}).message,
            "Die Konfiguration konnte nicht geladen werden. Bitte überprüfen Sie, ob ORN! korrekt installiert ist.\n"
            "Fehlermeldung: Fehler beim Laden der Konfiguration");
}

// Each failure before the server stop leaves installation, registry and server as they were, and
// no working folder: it held the archive's contents in clear.
TEST_F(BackupRestoreTest, RestoreFailuresChangeNothing) {
  const std::string archive = Backup(true);
  const auto before = Files();
  const std::string hive = test::ReadFile(demo_ + "/registry.reg");
  fs::copy_file(archive, Scratch() / "upper.EFF");
  // Archives made by hand: without orn.cfg, with a damaged orn.cfg and a name beginning with
  // ".", leaving the folder.
  const std::string made = Scratch() / "made";
  fs::create_directories(made);
  test::WriteFile(made + "/orn.cfg", "ORNCFG 1\n[general]\n");
  test::WriteFile(made + "/other.txt", "x");
  test::WriteFile(made + "/.hidden", "x");
  ASSERT_EQ(test::RunCommand("cd '" + made +
                             "' && zip -q nocfg.zip other.txt && "
                             "zip -q damaged.zip orn.cfg .hidden && "
                             "python3 -c 'import zipfile; z=zipfile.ZipFile(\"evil.zip\",\"w\"); "
                             "z.writestr(\"..\\\\..\\\\evil.txt\",\"x\"); z.close()'"),
            0);
  const struct {
    std::string path;
    std::optional<std::string> password;
    std::string message;  // empty: cancelled
  } cases[] = {
      {archive, "falsch",
       "Die Datei konnte nicht entschlüsselt werden. Bitte stellen Sie sicher, dass die angegebene Datei eine gültige "
       "Sicherungsdatei einer ORN!-Konfiguration ist. Überprüfen Sie auch das Kennwort."},
      {archive, std::nullopt, ""},
      {Scratch() / "upper.EFF", "Geheim!", "Das ORN!-Konfigurationsarchiv konnte nicht geöffnet werden."},
      {Scratch() / "missing.zip", std::nullopt, "Geben Sie bitte einen gültigen Dateipfad an."},
      {Scratch().Path(), std::nullopt, "Die Datei konnte nicht kopiert werden."},
      {made + "/damaged.zip", std::nullopt,
       "Die Konfiguration konnte nicht geladen werden.\nFehlermeldung: Fehler beim Laden der Konfiguration"},
      {made + "/nocfg.zip", std::nullopt,
       "Bei der ausgewählten Datei handelt es sich nicht um ein gültiges ORN!-Konfigurationsarchiv."},
      {made + "/evil.zip", std::nullopt, "Das ORN!-Konfigurationsarchiv konnte nicht entpackt werden."},
  };
  for (const auto& c : cases) {
    Answers answers(c.password);
    const RestoreResult result = RunRestore(c.path, answers);
    EXPECT_EQ(result.outcome, c.message.empty() ? RestoreOutcome::Cancelled : RestoreOutcome::Failed) << c.path;
    EXPECT_EQ(result.message, c.message) << c.path;
    EXPECT_FALSE(fs::exists(demo_ + "/tmp/orn")) << c.path;
  }
  EXPECT_FALSE(fs::exists(demo_ + "/evil.txt"));

  EXPECT_EQ(Files(), before);
  EXPECT_EQ(test::ReadFile(demo_ + "/registry.reg"), hive);
  EXPECT_TRUE(ServerRunning());
}

TEST_F(BackupRestoreTest, ServerThatIgnoresTheStop) {
  const std::string archive = Backup(false);
  StopServer();
  std::string error;
  const pid_t server = platform::SpawnDetached(ORN_SERVER_BINARY, {"orn", "--ignore-stop"}, "", &error);
  ASSERT_GT(server, 0) << error;
  ASSERT_TRUE(test::WaitFor(ServerRunning, 5000));
  static long seconds;
  seconds = 0;
  SetStopServerClock({[] { return seconds += 10; }, [](platform::MutexReleaseWatch&, int) {}});
  const std::string config = test::ReadFile(install_ + "/orn.cfg");
  TaskDns("0");
  Answers answers(std::nullopt);
  const RestoreResult result = RunRestore(archive, answers);
  kill(server, SIGTERM);
  EXPECT_EQ(result.message,
            "Die Konfiguration konnte nicht wiederhergestellt werden.\n"
            "Fehlermeldung: ORN! konnte nicht vor Ablauf des Timeouts beendet werden.");
  EXPECT_EQ(test::ReadFile(install_ + "/orn.cfg"), config);
  EXPECT_EQ(TaskDns(), "1");  // the task values are written before the stop
  ASSERT_TRUE(test::WaitFor([] { return !ServerRunning(); }, 5000));
}

TEST_F(BackupRestoreTest, VerifyReportsAndChangesNothing) {
  const std::string archive = Backup(true);
  const auto before = Files();
  Answers answers("Geheim!");
  const VerifyResult result = VerifyArchive(archive, answers);
  ASSERT_EQ(result.outcome, RestoreOutcome::Restored) << result.message;  // what it reports: tests/cli
  EXPECT_EQ(Files(), before);
  EXPECT_TRUE(ServerRunning());

  // An entry named like the working files disturbs neither the check nor the restore.
  const std::string odd = Backup(false, "odd");
  ASSERT_EQ(
      test::RunCommand("python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1], \"a\").writestr(\"zip.tmp\", "
                       "\"kein Archiv\")' '" +
                       odd + "'"),
      0);
  Answers none(std::nullopt);
  const VerifyResult checked = VerifyArchive(odd, none);
  ASSERT_EQ(checked.outcome, RestoreOutcome::Restored) << checked.message;
  EXPECT_EQ(checked.contents.entries.size(), result.contents.entries.size() + 1);
  EXPECT_EQ(checked.contents.entries.back(), "zip.tmp");
  EXPECT_EQ(RunRestore(odd, none).outcome, RestoreOutcome::Restored);
}

}  // namespace
}  // namespace orn
