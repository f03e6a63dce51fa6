#include "files/ParallelExtraction.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "files/EntryPath.h"
#include "files/ZipPaths.h"
#include "files/ZipReader.h"

namespace orn {

namespace {

constexpr unsigned kMaxUnpackThreads = 16;

// Hands the files done by all workers to one progress, one at a time.
class SerializedProgress : public Progress {
 public:
  explicit SerializedProgress(Progress& target) : target_(target) {}
  void FileDone(uint64_t bytes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    target_.FileDone(bytes);
  }

 private:
  Progress& target_;
  std::mutex mutex_;
};

// The entries' central header positions, grouped by the folder each lies in (groups in the order
// of their first entry, entries in archive order). False when the central directory cannot be
// read or an entry's name would be refused: the unpack fails at that entry in any case.
bool GroupByFolder(CZipReader& zip, std::vector<std::vector<uint64_t>>& groups) {
  std::unordered_map<std::string, size_t> index;
  bool named = true;
  const bool listed = zip.ListEntries([&](const ZipEntryInfo& info) {
    const auto components = SplitEntryName(info.name);
    if (!components) {
      named = false;
      return;
    }
    std::string folder;
    for (size_t i = 0; i + 1 < components->size(); ++i) folder += (*components)[i] + '\\';
    const auto [it, added] = index.emplace(folder, groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(zip.CurrentEntryOffset());
  });
  return listed && named && !groups.empty();
}

}  // namespace

unsigned DefaultUnpackThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxUnpackThreads); }

bool ExtractAllInParallel(const std::string& archivePath, const std::string& target, unsigned threads,
                          Progress& progress) {
  CZipReader zip(archivePath);
  zip.SetProgress(progress);
  threads = std::min(threads == 0 ? DefaultUnpackThreads() : threads, kMaxUnpackThreads);
  std::vector<std::vector<uint64_t>> groups;
  if (threads <= 1 || zip.EntryCount() == 0) return zip.ExtractAll(target, false);
  if (!GroupByFolder(zip, groups) || target.empty() || !CreateDirectoryTree(target)) return false;
  if (groups.size() == 1) return zip.ExtractAll(target, false);

  SerializedProgress shared(progress);
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  auto work = [&] {
    CZipReader reader(archivePath);
    reader.ShareDataRegions(zip);
    reader.SetProgress(shared);
    for (size_t group; !failed && (group = next++) < groups.size();)
      for (const uint64_t entry : groups[group])
        if (failed || !reader.GoToEntry(entry) || !reader.ExtractCurrent(target, false)) {
          failed = true;
          return;
        }
  };
  std::vector<std::thread> workers;
  const size_t count = std::min<size_t>(threads, groups.size());
  for (size_t i = 1; i < count; ++i) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  return !failed;
}

}  // namespace orn
