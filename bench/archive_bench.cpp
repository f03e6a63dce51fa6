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

#include "files/ZipReader.h"
#include "files/ZipWriter.h"
#include "platform/RuntimeDir.h"

namespace {

namespace fs = std::filesystem;

// xorshift64*: fast, reproducible bytes.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed | 1) {}
  uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 2685821657736338717ULL;
  }
  uint64_t Below(uint64_t limit) { return Next() % limit; }

 private:
  uint64_t state_;
};

struct TreeSize {
  int files = 0, folders = 0;
  uint64_t textBytes = 0, randomBytes = 0;
  uint64_t Total() const { return textBytes + randomBytes; }
};

// Writes size bytes of log-like text or of random bytes, 64 KB at a time.
void WriteContent(const std::string& path, uint64_t size, bool text, Random& random) {
  static const char* const kWords[] = {"Zustellung", "an", "benutzer", "ok", "Verbindung", "von", "mail.example.de",
                                       "abgelehnt", "Spam", "Filter", "Regel", "Absender", "Betreff", "Postfach"};
  std::ofstream out(path, std::ios::binary);
  std::string block;
  block.reserve(70000);
  uint64_t written = 0;
  while (written < size) {
    block.clear();
    while (block.size() < 65536) {
      if (text) {
        char line[64];
        snprintf(line, sizeof line, "2024-%02d-%02d %02d:%02d:%02d ", int(1 + random.Below(12)),
                 int(1 + random.Below(28)), int(random.Below(24)), int(random.Below(60)), int(random.Below(60)));
        block += line;
        for (int w = 0, words = int(4 + random.Below(8)); w < words; ++w) {
          block += kWords[random.Below(std::size(kWords))];
          block += w + 1 < words ? ' ' : '\n';
        }
      } else {
        const uint64_t value = random.Next();
        block.append(reinterpret_cast<const char*>(&value), sizeof value);
      }
    }
    const uint64_t take = std::min<uint64_t>(block.size(), size - written);
    out.write(block.data(), static_cast<std::streamsize>(take));
    written += take;
  }
}

// 10 x 10 folders of 30 files (3,000), most of 1 to 20 KB, every 100th of 2 to 8 MB; half the
// small files and half the large ones text, the others random; 5 empty folders.
TreeSize MakeTree(const std::string& arsp) {
  Random random(20240605);
  TreeSize size;
  int index = 0;
  for (int top = 0; top < 10; ++top) {
    for (int sub = 0; sub < 10; ++sub) {
      const std::string folder = arsp + "/bereich" + std::to_string(top) + "/liste " + std::to_string(sub);
      fs::create_directories(folder);
      size.folders += sub == 0 ? 2 : 1;
      for (int f = 0; f < 30; ++f, ++index) {
        const bool large = index % 100 == 7;
        const bool text = large ? (index / 100) % 2 == 0 : index % 2 == 0;
        const uint64_t bytes = large ? (2 + random.Below(7)) << 20 : 1024 + random.Below(19 * 1024);
        WriteContent(folder + "/eintrag" + std::to_string(f) + (text ? ".log" : ".bin"), bytes, text, random);
        (text ? size.textBytes : size.randomBytes) += bytes;
        ++size.files;
      }
    }
  }
  for (int e = 0; e < 5; ++e) fs::create_directories(arsp + "/leer" + std::to_string(e));
  size.folders += 6;
  return size;
}

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system
  long peakKb = 0;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Runs the program (in folder) as a child; exits when it fails. The data written before is
// flushed first (not timed), so that no run pays for the write-back of the run before it.
Run RunChild(const std::vector<std::string>& argv, const std::string& folder) {
  sync();
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "%s failed\n", argv[0].c_str());
    exit(1);
  }
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss};
}

struct Figures {
  double median = 0;
  double cpuMedian = 0;
  long peakKb = 0;
};

Figures Summarize(std::vector<Run> runs) {
  Figures figures;
  for (const Run& r : runs) figures.peakKb = std::max(figures.peakKb, r.peakKb);
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.cpuSeconds < b.cpuSeconds; });
  figures.cpuMedian = runs[runs.size() / 2].cpuSeconds;
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
  figures.median = runs[runs.size() / 2].seconds;
  return figures;
}

void Print(const char* what, const Figures& f, uint64_t bytes) {
  printf("%-38s median %7.3f s  %7.1f MB/s  cpu %7.3f s  peak RSS %5.1f MB\n", what, f.median,
         bytes / 1e6 / f.median, f.cpuMedian, f.peakKb / 1024.0);
}

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
  printf("tree: %d files, %d folders, %.1f MB (%.1f MB text, %.1f MB random), %d runs each\n", tree.files,
         tree.folders, tree.Total() / 1e6, tree.textBytes / 1e6, tree.randomBytes / 1e6, repeat);

  std::vector<Run> ourPack, zipPack, ourExtract, ourOwnExtract, unzipExtract;
  for (int r = 0; r < repeat; ++r) {  // who goes first alternates
    fs::remove(base + "/ours.zip");
    fs::remove(base + "/infozip.zip");  // zip would update an existing archive
    const auto packOurs = [&] { ourPack.push_back(RunChild({self, "--pack", base + "/ours.zip", base}, base)); };
    const auto packZip = [&] { zipPack.push_back(RunChild({"zip", "-r", "-q", "-6", "infozip.zip", "arsp"}, base)); };
    if (r % 2 == 0) packOurs(), packZip();
    else packZip(), packOurs();
    for (const char* out : {"x-ours", "x-own", "x-unzip"}) fs::remove_all(base + "/" + out);
    const auto extractOurs = [&] {
      ourExtract.push_back(RunChild({self, "--extract", base + "/infozip.zip", base + "/x-ours"}, base));
    };
    const auto extractUnzip = [&] {
      unzipExtract.push_back(RunChild({"unzip", "-q", "-o", "infozip.zip", "-d", "x-unzip"}, base));
    };
    if (r % 2 == 0) extractOurs(), extractUnzip();
    else extractUnzip(), extractOurs();
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
