// eff_bench: EncryptArchiveFile and DecryptArchiveFile on a 256 MB and a 1 MB file, against the
// same cryptographic work done with the openssl command as a user would: "openssl enc" with DES-CBC
// from the legacy provider for the cipher, then "openssl dgst -sha1 -hmac" for the MAC. Each of our
// runs is a forked child, whose peak resident memory the parent reads (ru_maxrss). Our decryption
// runs on every core (CBC decryption does not chain); encryption, one CBC chain, on one.
//
//   eff_bench [--runs N] [--mb N] [--dir FOLDER]        (1 MB = 2^20 bytes)
//
// The last line is "ratio encrypt=X decrypt=Y": our median time over the openssl pipeline's for
// the large file; lower is better.
//
// The kernel gives each session one share of the processors, however many threads it runs: on a
// machine that other sessions keep busy, a second decrypting thread brings no second core. There,
// run it as "chrt -f 10 eff_bench" to measure as on a quiet machine.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "crypto/ArchiveFile.h"

extern char** environ;

namespace {

constexpr char kPassword[] = "benchmark";
constexpr size_t kMB = 1 << 20;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void WritePlainFile(const std::string& path, size_t megabytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) {
    perror(path.c_str());
    exit(1);
  }
  std::vector<uint64_t> chunk(kMB / 8);
  uint64_t state = 0x9e3779b97f4a7c15u;
  for (size_t i = 0; i < megabytes; ++i) {
    for (uint64_t& word : chunk) {  // xorshift64: incompressible, cheap
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      word = state;
    }
    if (fwrite(chunk.data(), 1, kMB, file) != kMB) exit(1);
  }
  fclose(file);
}

struct Measurement {
  double seconds;     // wall time
  double cpuSeconds;  // user and system time of the processes
  long peakKilobytes;
};

double CpuSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs one of our operations in a child; its time comes back through a pipe, its peak memory
// through wait4.
Measurement RunOurs(bool encrypt, const std::string& plain, const std::string& archive, const std::string& out) {
  int channel[2];
  if (pipe(channel) != 0) exit(1);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const auto start = std::chrono::steady_clock::now();
    const int result = encrypt ? orn::crypto::EncryptArchiveFile(plain.c_str(), archive.c_str(), kPassword, 1)
                               : orn::crypto::DecryptArchiveFile(archive.c_str(), out.c_str(), kPassword);
    const double elapsed = Seconds(start);
    if (write(channel[1], &elapsed, sizeof elapsed) != sizeof elapsed) _exit(3);
    _exit(result == 0 ? 0 : 2);
  }
  close(channel[1]);
  double elapsed = 0;
  const bool got = read(channel[0], &elapsed, sizeof elapsed) == sizeof elapsed;
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "eff_bench: %s failed\n", encrypt ? "EncryptArchiveFile" : "DecryptArchiveFile");
    exit(1);
  }
  return {elapsed, CpuSeconds(usage), usage.ru_maxrss};
}

// Runs a command to its end; returns its CPU time.
double RunCommand(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  int status = 0;
  rusage usage{};
  if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
      wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "eff_bench: %s %s failed\n", argv[0], argv[1]);
    exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  return CpuSeconds(usage);
}

// The openssl pipeline: the cipher over the input, then the MAC over the plain side.
Measurement RunOpenssl(bool encrypt, const std::string& in, const std::string& out, const std::string& plainSide) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> enc = {"openssl", "enc"};
  if (!encrypt) enc.push_back("-d");
  for (const char* word : {"-des-cbc", "-nopad", "-provider", "legacy", "-provider", "default", "-K",
                           "0123456789abcdef", "-iv", "fedcba9876543210", "-in"})
    enc.push_back(word);
  enc.push_back(in);
  enc.push_back("-out");
  enc.push_back(out);
  const double cpu = RunCommand(enc) + RunCommand({"openssl", "dgst", "-sha1", "-hmac", kPassword, plainSide});
  return {Seconds(start), cpu, 0};
}

bool SameFiles(const std::string& a, const std::string& b) {
  FILE* fa = fopen(a.c_str(), "rb");
  FILE* fb = fopen(b.c_str(), "rb");
  bool same = fa && fb;
  std::vector<char> ba(kMB), bb(kMB);
  while (same) {
    const size_t na = fread(ba.data(), 1, kMB, fa), nb = fread(bb.data(), 1, kMB, fb);
    same = na == nb && memcmp(ba.data(), bb.data(), na) == 0;
    if (na == 0) break;
  }
  if (fa) fclose(fa);
  if (fb) fclose(fb);
  return same;
}

struct Figures {
  double ours[2], openssl[2];  // [encrypt, decrypt] medians
  long peakKilobytes[2];
};

Figures Measure(const std::string& dir, const char* label, size_t megabytes, int runs) {
  const std::string plain = dir + "/" + label + ".bin", archive = plain + ".eff", out = plain + ".dec";
  const std::string enc = plain + ".enc", dec = plain + ".openssl";
  WritePlainFile(plain, megabytes);
  std::vector<double> ours[2], openssl[2], oursCpu[2], opensslCpu[2];
  Figures figures{};
  // Every run starts with nothing left to write back, so that no run pays for the one before.
  for (int run = 0; run < runs; ++run) {
    for (int op = 0; op < 2; ++op) {
      sync();
      const Measurement m = RunOurs(op == 0, plain, archive, out);
      ours[op].push_back(m.seconds);
      oursCpu[op].push_back(m.cpuSeconds);
      figures.peakKilobytes[op] = std::max(figures.peakKilobytes[op], m.peakKilobytes);
    }
    for (int op = 0; op < 2; ++op) {
      sync();
      const Measurement m = op == 0 ? RunOpenssl(true, plain, enc, plain) : RunOpenssl(false, enc, dec, dec);
      openssl[op].push_back(m.seconds);
      opensslCpu[op].push_back(m.cpuSeconds);
    }
  }
  if (!SameFiles(plain, out) || !SameFiles(plain, dec)) {
    fprintf(stderr, "eff_bench: a decrypted file differs from the plain file\n");
    exit(1);
  }
  const double mb = static_cast<double>(megabytes);
  for (int op = 0; op < 2; ++op) {
    figures.ours[op] = Median(ours[op]);
    figures.openssl[op] = Median(openssl[op]);
    printf("%-6s %-8s ours %8.3f s %7.1f MB/s  peak %6.1f MB   openssl %8.3f s %7.1f MB/s   ratio %.2f\n", label,
           op == 0 ? "encrypt" : "decrypt", figures.ours[op], mb / figures.ours[op],
           static_cast<double>(figures.peakKilobytes[op]) / 1024, figures.openssl[op], mb / figures.openssl[op],
           figures.ours[op] / figures.openssl[op]);
    printf("       cpu time: ours %.3f s, openssl %.3f s, ratio %.2f\n", Median(oursCpu[op]), Median(opensslCpu[op]),
           Median(oursCpu[op]) / Median(opensslCpu[op]));
    printf("       runs, s:  ours");
    for (double s : ours[op]) printf(" %.3f", s);
    printf("   openssl");
    for (double s : openssl[op]) printf(" %.3f", s);
    printf("\n");
  }
  for (const std::string& path : {plain, archive, out, enc, dec}) std::filesystem::remove(path);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  size_t megabytes = 256;
  const char* tmp = getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--runs"))
      runs = std::max(1, atoi(argv[i + 1]));
    else if (!strcmp(argv[i], "--mb"))
      megabytes = static_cast<size_t>(std::max(1, atoi(argv[i + 1])));
    else if (!strcmp(argv[i], "--dir"))
      base = argv[i + 1];
  }
  std::string dir = base + "/eff-bench-XXXXXX";
  if (!mkdtemp(dir.data())) {
    perror(dir.c_str());
    return 1;
  }
  printf(
      "eff_bench: %d runs each, medians; DES-CBC (cipher id 1) with HMAC-SHA1, files in %s; our decryption on "
      "all %u cores\n",
      runs, dir.c_str(), std::max(1u, std::thread::hardware_concurrency()));
  Measure(dir, "1MB", 1, runs);
  const std::string label = std::to_string(megabytes) + "MB";
  const Figures large = Measure(dir, label.c_str(), megabytes, runs);
  std::filesystem::remove_all(dir);
  printf("ratio encrypt=%.2f decrypt=%.2f\n", large.ours[0] / large.openssl[0], large.ours[1] / large.openssl[1]);
  return 0;
}
