// What the benchmarks share: a tree shaped like a large installation's "arsp", and timing one
// program run as a child process with its peak memory.
#pragma once

#include <cstdint>
#include <string>
#include <sys/time.h>
#include <vector>

namespace orn::bench {

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

// 10 x 10 folders of 30 files (3,000), most of 1 to 20 KB, every 100th of 2 to 8 MB; half the
// small files and half the large ones text, the others random; 5 empty folders.
TreeSize MakeTree(const std::string& arsp);

// files small files (1 to 2,000 bytes, one in ten log-like text, the others random) in folders
// of 100, reproducible from seed.
TreeSize MakeSmallTree(const std::string& arsp, int files, uint64_t seed);

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system
  long peakKb = 0;
};

// Runs the program (in folder) as a child; exits when it fails. The data written before is
// flushed first (not timed), so that no run pays for the write-back of the run before it.
Run RunChild(const std::vector<std::string>& argv, const std::string& folder);

struct Figures {
  double median = 0;
  double cpuMedian = 0;
  long peakKb = 0;
};

Figures Summarize(std::vector<Run> runs);

// "'text'": a path as one word of a shell script (the benchmarks' paths hold no quote).
std::string Quote(const std::string& text);

// What an administrator would script instead of our backup and restore, run by "sh -c" in the
// installation folder: zip -r -q of the table files present and "arsp" into work/b.zip, openssl
// enc -des-cbc (key and IV given directly) to work/b.enc and openssl dgst -sha1 -hmac over it; the
// restore checks the MAC, deciphers to work/r.zip and unzips it over the installation. files
// lists the table files present, as the scripts name them.
struct PeerScripts {
  std::string files, backup, restore;
};
PeerScripts MakePeerScripts(const std::string& install, const std::string& work);
void Print(const char* what, const Figures& f, uint64_t bytes);

}  // namespace orn::bench
