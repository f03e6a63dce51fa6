#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backup/BackupTable.h"

namespace orn::bench {

namespace fs = std::filesystem;

namespace {

// Writes size bytes of log-like text or of random bytes, 64 KB at a time.
void WriteContent(const std::string& path, uint64_t size, bool text, Random& random) {
  static const char* const kWords[] = {"Zustellung",      "an",        "benutzer", "ok",     "Verbindung", "von",
                                       "mail.example.de", "abgelehnt", "Spam",     "Filter", "Regel",      "Absender",
                                       "Betreff",         "Postfach"};
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

}  // namespace

TreeSize MakeSmallTree(const std::string& arsp, int files, uint64_t seed) {
  Random random(seed);
  TreeSize size;
  for (int i = 0; i < files; ++i) {
    const std::string folder = arsp + "/ordner" + std::to_string(i / 100);
    if (i % 100 == 0) {
      fs::create_directories(folder);
      ++size.folders;
    }
    const uint64_t bytes = 1 + random.Below(2000);
    const bool text = random.Below(10) == 0;
    WriteContent(folder + "/datei" + std::to_string(i) + (text ? ".log" : ".bin"), bytes, text, random);
    (text ? size.textBytes : size.randomBytes) += bytes;
    ++size.files;
  }
  return size;
}

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

namespace {
double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }
}  // namespace

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
  printf("%-38s median %7.3f s  %7.1f MB/s  cpu %7.3f s  peak RSS %5.1f MB\n", what, f.median, bytes / 1e6 / f.median,
         f.cpuMedian, f.peakKb / 1024.0);
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

PeerScripts MakePeerScripts(const std::string& install, const std::string& work) {
  static constexpr char kKey[] = "0123456789abcdef";
  static constexpr char kIv[] = "fedcba9876543210";
  PeerScripts scripts;
  scripts.files = "orn.cfg";
  for (const char* name : orn::kBackupFiles)
    if (fs::exists(install + "/" + name) && scripts.files.find(name) == std::string::npos)
      scripts.files += std::string(" ") + name;
  const std::string cipher =
      std::string("openssl enc -des-cbc -provider legacy -provider default -K ") + kKey + " -iv " + kIv;
  const std::string zip = Quote(work + "/b.zip"), enc = Quote(work + "/b.enc"), unpacked = Quote(work + "/r.zip");
  const std::string mac = std::string("openssl dgst -sha1 -hmac ") + kKey + " " + enc + " >/dev/null";
  scripts.backup = "rm -f " + zip + " && zip -r -q " + zip + " " + scripts.files + " arsp && " + cipher + " -in " +
                   zip + " -out " + enc + " && " + mac;
  scripts.restore = mac + " && " + cipher + " -d -in " + enc + " -out " + unpacked + " && unzip -q -o " + unpacked;
  return scripts;
}

}  // namespace orn::bench
