// A full encrypted backup and a full restore of a demo installation with a large "arsp", with our
// program (backup on one thread and on all cores) and with what an administrator would script
// instead: zip -r -q plus openssl enc -des-cbc and openssl dgst -sha1 -hmac for the backup, the
// reverse for the restore; as information also a script restore that keeps a safety copy first,
// as ours does.
//
//   backup_bench [--repeat N]     (N >= 3, default 3)
//
// Each run is a child process; wait4 gives its time and peak memory. The last line is
// "ratio backup=X restore=Y": our median over the script's, lower is better.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <algorithm>
#include <thread>

#include "BenchSupport.h"
#include "platform/RuntimeDir.h"

namespace {

namespace fs = std::filesystem;
using namespace orn::bench;

}  // namespace

int main(int argc, char** argv) {
  int repeat = 3;
  if (argc == 3 && strcmp(argv[1], "--repeat") == 0) repeat = std::max(3, atoi(argv[2]));
  const fs::path root = fs::path(orn::platform::TempDirectory()) / ("backup-bench-" + std::to_string(getpid()));
  const std::string demo = (root / "demo").string(), work = (root / "work").string();
  fs::create_directories(work);

  // The demo installation with its "arsp" replaced by a large tree.
  if (std::system((std::string(ORN_DEMO_BINARY) + " " + Quote(demo) + " >/dev/null").c_str()) != 0) return 1;
  setenv("ORN_REGISTRY", (demo + "/registry.reg").c_str(), 1);
  setenv("ORN_RUNTIME_DIR", (demo + "/run").c_str(), 1);
  setenv("TEMP", (demo + "/tmp").c_str(), 1);
  const std::string install = demo + "/orn";
  fs::remove_all(install + "/arsp");
  const TreeSize tree = MakeTree(install + "/arsp");
  std::ofstream(work + "/pw") << "Geheim!\n";

  const PeerScripts peer = MakePeerScripts(install, work);
  const std::string &files = peer.files, &scriptBackup = peer.backup, &scriptRestore = peer.restore;
  const std::string safeRestore = "rm -rf " + Quote(work + "/safety") + " && mkdir " + Quote(work + "/safety") +
                                  " && cp -a " + files + " arsp " + Quote(work + "/safety") + " && " + scriptRestore;
  const std::string archive = work + "/a.eff";
  const std::vector<std::string> ourBackup = {ORN_CLI_BINARY, "backup",          "--quiet",   "--output",
                                              archive,        "--password-file", work + "/pw"};
  std::vector<std::string> ourBackup1 = ourBackup;
  ourBackup1.insert(ourBackup1.end(), {"--threads", "1"});
  const std::vector<std::string> ourRestore = {ORN_CLI_BINARY, "restore",         "--quiet",
                                               archive,        "--password-file", work + "/pw"};

  std::vector<Run> backups, backups1, scriptBackups, restores, scriptRestores, safeRestores;
  for (int run = 0; run < repeat; ++run) {
    // Alternate which goes first, so that neither always meets a warmer cache.
    if (run % 2 == 0) {
      backups.push_back(RunChild(ourBackup, install));
      backups1.push_back(RunChild(ourBackup1, install));
      scriptBackups.push_back(RunChild({"sh", "-c", scriptBackup}, install));
    } else {
      scriptBackups.push_back(RunChild({"sh", "-c", scriptBackup}, install));
      backups1.push_back(RunChild(ourBackup1, install));
      backups.push_back(RunChild(ourBackup, install));
    }
    safeRestores.push_back(RunChild({"sh", "-c", safeRestore}, install));
    if (run % 2 == 0) {
      restores.push_back(RunChild(ourRestore, install));
      scriptRestores.push_back(RunChild({"sh", "-c", scriptRestore}, install));
    } else {
      scriptRestores.push_back(RunChild({"sh", "-c", scriptRestore}, install));
      restores.push_back(RunChild(ourRestore, install));
    }
  }
  printf("installation: %d files in arsp, %.1f MB, %d runs each\n", tree.files, tree.Total() / 1e6, repeat);
  const Figures backup = Summarize(backups), backup1 = Summarize(backups1), scriptedBackup = Summarize(scriptBackups);
  const Figures restore = Summarize(restores), scriptedRestore = Summarize(scriptRestores);
  const std::string cores =
      "backup  orncfg-cli backup (" + std::to_string(std::thread::hardware_concurrency()) + " cores)";
  Print(cores.c_str(), backup, tree.Total());
  Print("backup  orncfg-cli backup --threads 1", backup1, tree.Total());
  Print("backup  zip + openssl enc + dgst", scriptedBackup, tree.Total());
  Print("restore orncfg-cli restore", restore, tree.Total());
  Print("restore openssl dgst + enc -d + unzip", scriptedRestore, tree.Total());
  Print("restore cp -a safety copy + the same (info)", Summarize(safeRestores), tree.Total());
  printf("peak RSS %.1f MB\n", std::max({backup.peakKb, backup1.peakKb, restore.peakKb}) / 1024.0);
  fs::remove_all(root);
  printf("ratio backup=%.2f restore=%.2f\n", backup.median / scriptedBackup.median,
         restore.median / scriptedRestore.median);
  return 0;
}
