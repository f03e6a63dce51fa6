// Packs and unpacks a tree shaped like a large installation's "arsp" with CZipWriter/CZipReader
// and with Info-ZIP (zip -r -q -6, unzip -q), and compares their median times.
//
//   archive_bench [--repeat N]     (N >= 3, default 3)
//
// Each run is a child process of its own (ours: this program again, with --pack or --extract), so
// that wait4 gives the wall time and the peak resident memory of that run alone. Both extract
// the archive Info-ZIP made (the same input); ours also extracts its own archive, for the record.
// The last line is "ratio pack=X extract=Y": our median over Info-ZIP's, lower is better.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "files/ZipReader.h"
#include "files/ZipWriter.h"
#include "platform/RuntimeDir.h"

namespace {

namespace fs = std::filesystem;
using namespace orn::bench;

int Child(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "--pack") == 0) {
    orn::CZipWriter writer(argv[2], std::string(argv[3]));
    return writer.AddDirectory("arsp") && writer.Close() ? 0 : 1;
  }
  if (argc == 4 && strcmp(argv[1], "--extract") == 0) {
    orn::CZipReader reader(argv[2]);
    return reader.ExtractAll(argv[3], false) ? 0 : 1;
  }
  fprintf(stderr, "Aufruf: archive_bench [--repeat N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 3;
  if (argc == 3 && strcmp(argv[1], "--repeat") == 0)
    repeat = std::max(3, atoi(argv[2]));
  else if (argc != 1)
    return Child(argc, argv);

  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string base = orn::platform::TempDirectory() + "/orn-archive-bench-XXXXXX";
  if (!mkdtemp(base.data())) {
    perror("mkdtemp");
    return 1;
  }
  const TreeSize tree = MakeTree(base + "/arsp");
  printf("tree: %d files, %d folders, %.1f MB (%.1f MB text, %.1f MB random), %d runs each\n", tree.files, tree.folders,
         tree.Total() / 1e6, tree.textBytes / 1e6, tree.randomBytes / 1e6, repeat);

  std::vector<Run> ourPack, zipPack, ourExtract, ourOwnExtract, unzipExtract;
  for (int r = 0; r < repeat; ++r) {  // who goes first alternates
    fs::remove(base + "/ours.zip");
    fs::remove(base + "/infozip.zip");  // zip would update an existing archive
    const auto packOurs = [&] { ourPack.push_back(RunChild({self, "--pack", base + "/ours.zip", base}, base)); };
    const auto packZip = [&] { zipPack.push_back(RunChild({"zip", "-r", "-q", "-6", "infozip.zip", "arsp"}, base)); };
    if (r % 2 == 0)
      packOurs(), packZip();
    else
      packZip(), packOurs();
    for (const char* out : {"x-ours", "x-own", "x-unzip"}) fs::remove_all(base + "/" + out);
    const auto extractOurs = [&] {
      ourExtract.push_back(RunChild({self, "--extract", base + "/infozip.zip", base + "/x-ours"}, base));
    };
    const auto extractUnzip = [&] {
      unzipExtract.push_back(RunChild({"unzip", "-q", "-o", "infozip.zip", "-d", "x-unzip"}, base));
    };
    if (r % 2 == 0)
      extractOurs(), extractUnzip();
    else
      extractUnzip(), extractOurs();
    ourOwnExtract.push_back(RunChild({self, "--extract", base + "/ours.zip", base + "/x-own"}, base));
  }
  printf("archives: ours %.1f MB, Info-ZIP %.1f MB\n", fs::file_size(base + "/ours.zip") / 1e6,
         fs::file_size(base + "/infozip.zip") / 1e6);
  const Figures pack = Summarize(ourPack), zip = Summarize(zipPack);
  const Figures extract = Summarize(ourExtract), unzip = Summarize(unzipExtract);
  Print("pack    CZipWriter", pack, tree.Total());
  Print("pack    zip -r -q -6", zip, tree.Total());
  Print("extract CZipReader (Info-ZIP archive)", extract, tree.Total());
  Print("extract unzip -q   (Info-ZIP archive)", unzip, tree.Total());
  Print("extract CZipReader (own archive)", Summarize(ourOwnExtract), tree.Total());

  std::error_code ignored;
  fs::remove_all(base, ignored);
  printf("ratio pack=%.2f extract=%.2f\n", pack.median / zip.median, extract.median / unzip.median);
  return 0;
}
