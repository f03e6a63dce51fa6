#include "files/ZipPacker.h"

#include <algorithm>

#include "files/EntryFileInfo.h"

namespace orn {

namespace {

constexpr unsigned kMaxThreads = 64;
constexpr size_t kEntriesPerThread = 4;
// Deflated bytes held in memory by all entries in flight together.
constexpr size_t kMemoryBudget = 24u << 20;

}  // namespace

struct CZipPacker::Entry {
  Entry(CBlockPool& pool, size_t memory, const std::string& spill) : data(pool, memory, spill) {}
  std::string name;
  zip_fileinfo info{};
  bool zip64 = false;
  bool isFile = false;
  UniqueFd fd;
  CCompressedData data;
  EntryDigest digest;
  bool done = false;
  bool ok = false;
};

unsigned DefaultPackThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

CZipPacker::CZipPacker(CPackSink& sink, unsigned threads, std::string spillDirectory)
    : stream_(sink),
      threads_(std::min(threads == 0 ? DefaultPackThreads() : threads, kMaxThreads)),
      spillDirectory_(std::move(spillDirectory)),
      maxInFlight_(threads_ == 1 ? 1 : kEntriesPerThread * threads_),
      memoryPerEntry_(std::clamp(kMemoryBudget / maxInFlight_, kDataBlockSize * 2, size_t{4} << 20)) {}

CZipPacker::~CZipPacker() { Stop(); }

bool CZipPacker::Open() {
  if (!stream_.Open() || !ownCompressor_.IsReady()) return false;
  for (unsigned i = 0; threads_ > 1 && i < threads_; ++i) workers_.emplace_back([this] { Work(); });
  return true;
}

void CZipPacker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (auto& worker : workers_) worker.join();
  workers_.clear();
}

void CZipPacker::Work() {
  CEntryCompressor compressor;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return stopping_ || taken_ < queue_.size(); });
    if (taken_ >= queue_.size()) return;  // stopping, nothing left
    Entry& entry = *queue_[taken_++];
    lock.unlock();
    entry.ok = compressor.Compress(entry.fd.Get(), entry.data, entry.digest);
    entry.fd.Reset();
    lock.lock();
    entry.done = true;
    finished_.notify_all();
  }
}

bool CZipPacker::Add(std::string name, const struct stat* st, UniqueFd fd) {
  if (failed_) return false;
  auto entry = std::make_unique<Entry>(pool_, memoryPerEntry_, spillDirectory_);
  entry->name = std::move(name);
  entry->info = EntryFileInfo(st);
  entry->isFile = fd.IsValid();
  entry->zip64 = entry->isFile && st && static_cast<uint64_t>(st->st_size) >= 0xFFFFFFFFu;
  entry->fd = std::move(fd);
  if (workers_.empty()) {
    entry->ok = ownCompressor_.Compress(entry->fd.Get(), entry->data, entry->digest);
    entry->fd.Reset();
    return Write(*entry);
  }
  while (queue_.size() >= maxInFlight_)
    if (!WriteOldest()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(entry));
  }
  queued_.notify_one();
  return !failed_;
}

bool CZipPacker::WriteOldest() {
  std::unique_ptr<Entry> entry;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    finished_.wait(lock, [this] { return queue_.front()->done; });
    entry = std::move(queue_.front());
    queue_.pop_front();
    --taken_;
  }
  return Write(*entry);
}

bool CZipPacker::Write(Entry& entry) {
  if (failed_ || !entry.ok || !stream_.WriteEntry(entry.name, entry.info, entry.zip64, entry.digest, entry.data)) {
    failed_ = true;
    return false;
  }
  if (entry.isFile) progress_->FileDone(entry.digest.size);
  entry.data.Clear();
  return true;
}

bool CZipPacker::Close() {
  while (!queue_.empty())
    if (!WriteOldest()) break;
  Stop();
  const bool closed = stream_.Close();
  return closed && !failed_;
}

}  // namespace orn
