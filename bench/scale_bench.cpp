// Cost per file: a demo installation whose "arsp" holds 10,000 and then 100,000 small files (1 to
// 2,000 bytes, one in ten log-like text; seeded, so every run sees the same trees), an encrypted
// backup and a restore with orncfg-cli (all cores) against a script doing the same work: zip -r
// -q + openssl enc + openssl dgst for the backup, openssl dgst + openssl enc -d + unzip for the
// restore. Each run is a child process; wait4 gives its time and peak memory.
//
//   scale_bench [--repeat N]     (default 1)
//
// The last line is "ratio backup=X restore=Y growth=Z" for 100,000 files: our time over the
// script's, and our backup time for 100,000 files over ten times that for 10,000.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "platform/RuntimeDir.h"

namespace {

namespace fs = std::filesystem;
using namespace orn::bench;

struct Result {
  Figures backup, scriptBackup, restore, scriptRestore;
};

Result Measure(const fs::path& root, int files, int repeat) {
  const std::string demo = (root / "demo").string(), work = (root / "work").string();
  fs::remove_all(root);
  fs::create_directories(work);
  if (std::system((std::string(ORN_DEMO_BINARY) + " " + Quote(demo) + " >/dev/null").c_str()) != 0) exit(1);
  setenv("ORN_REGISTRY", (demo + "/registry.reg").c_str(), 1);
  setenv("ORN_RUNTIME_DIR", (demo + "/run").c_str(), 1);
  setenv("TEMP", (demo + "/tmp").c_str(), 1);
  const std::string install = demo + "/orn";
  fs::remove_all(install + "/arsp");
  const TreeSize tree = MakeSmallTree(install + "/arsp", files, 20261207);
  std::ofstream(work + "/pw") << "Geheim!\n";

  const PeerScripts peer = MakePeerScripts(install, work);
  const std::string &scriptBackup = peer.backup, &scriptRestore = peer.restore;
  const std::string archive = work + "/a.eff";
  const std::vector<std::string> ourBackup = {ORN_CLI_BINARY, "backup",          "--quiet",   "--output",
                                              archive,        "--password-file", work + "/pw"};
  const std::vector<std::string> ourRestore = {ORN_CLI_BINARY, "restore",         "--quiet",
                                               archive,        "--password-file", work + "/pw"};

  std::vector<Run> backups, scriptBackups, restores, scriptRestores;
  for (int run = 0; run < repeat; ++run) {
    const bool oursFirst = run % 2 == 0;
    if (oursFirst) backups.push_back(RunChild(ourBackup, install));
    scriptBackups.push_back(RunChild({"sh", "-c", scriptBackup}, install));
    if (!oursFirst) backups.push_back(RunChild(ourBackup, install));
    if (oursFirst) restores.push_back(RunChild(ourRestore, install));
    scriptRestores.push_back(RunChild({"sh", "-c", scriptRestore}, install));
    if (!oursFirst) restores.push_back(RunChild(ourRestore, install));
  }
  const Result result{Summarize(backups), Summarize(scriptBackups), Summarize(restores), Summarize(scriptRestores)};
  printf("%d files in arsp, %.1f MB (%.1f MB text), %d folders, %d run(s) each\n", tree.files, tree.Total() / 1e6,
         tree.textBytes / 1e6, tree.folders, repeat);
  Print("  backup  orncfg-cli backup", result.backup, tree.Total());
  Print("  backup  zip -r + openssl enc + dgst", result.scriptBackup, tree.Total());
  Print("  restore orncfg-cli restore", result.restore, tree.Total());
  Print("  restore openssl dgst + enc -d + unzip", result.scriptRestore, tree.Total());
  fs::remove_all(root);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 1;
  if (argc == 3 && strcmp(argv[1], "--repeat") == 0) repeat = std::max(1, atoi(argv[2]));
  const fs::path root = fs::path(orn::platform::TempDirectory()) / ("scale-bench-" + std::to_string(getpid()));
  const Result small = Measure(root, 10000, repeat);
  const Result large = Measure(root, 100000, repeat);
  printf("peak RSS %.1f MB (ours, 100,000 files), %.1f MB (10,000 files)\n",
         std::max(large.backup.peakKb, large.restore.peakKb) / 1024.0,
         std::max(small.backup.peakKb, small.restore.peakKb) / 1024.0);
  printf("growth restore=%.2f (information)\n", large.restore.median / (10 * small.restore.median));
  printf("ratio backup=%.2f restore=%.2f growth=%.2f\n", large.backup.median / large.scriptBackup.median,
         large.restore.median / large.scriptRestore.median, large.backup.median / (10 * small.backup.median));
  return 0;
}
