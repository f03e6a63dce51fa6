#include "files/ZipPacker.h"

#include <algorithm>
#include <zlib.h>

#include "files/EntryFileInfo.h"

namespace orn {

namespace {

constexpr unsigned kMaxThreads = 64;
constexpr size_t kEntriesPerThread = 4;
// Deflated bytes held in memory by all entries in flight together.
constexpr size_t kMemoryBudget = 24u << 20;
// Files of at least kSplitFrom bytes are deflated in pieces on several workers: pieces of
// kPieceSize, or kMaxPieces pieces of equal size (a multiple of 64 KB) for files too large for
// that. The split depends on the file's size alone, so the archive is the same with any number of
// threads.
constexpr uint64_t kSplitFrom = 1u << 20;
constexpr uint64_t kPieceSize = 256u << 10;
constexpr uint64_t kMaxPieces = 64;

uint64_t PieceSize(uint64_t fileSize) {
  if (fileSize <= kPieceSize * kMaxPieces) return kPieceSize;
  const uint64_t size = (fileSize + kMaxPieces - 1) / kMaxPieces;
  return (size + kDataBlockSize - 1) / kDataBlockSize * kDataBlockSize;
}

}  // namespace

struct CZipPacker::Piece {
  Piece(CBlockPool& pool, size_t memory, const std::string& spill) : data(pool, memory, spill) {}
  uint64_t offset = 0;
  uint64_t length = 0;
  bool toEnd = true;
  CCompressedData data;
  EntryDigest digest;
  bool ok = false;
};

struct CZipPacker::Entry {
  std::string name;
  zip_fileinfo info{};
  bool zip64 = false;
  bool isFile = false;
  UniqueFd fd;
  bool split = false;  // deflated in pieces that end with a sync flush, not as one stream
  std::vector<std::unique_ptr<Piece>> pieces;
  size_t piecesDone = 0;
  bool Done() const { return piecesDone == pieces.size(); }
};

unsigned DefaultPackThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

CZipPacker::CZipPacker(CPackSink& sink, unsigned threads, std::string spillDirectory)
    : stream_(sink),
      threads_(std::min(threads == 0 ? DefaultPackThreads() : threads, kMaxThreads)),
      spillDirectory_(std::move(spillDirectory)),
      maxInFlight_(threads_ == 1 ? 1 : std::max<size_t>(kEntriesPerThread * threads_, 2 * kMaxPieces)),
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
    queued_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    if (tasks_.empty()) return;  // stopping, nothing left
    const auto [entry, piece] = tasks_.front();
    tasks_.pop_front();
    lock.unlock();
    Compress(compressor, *entry, *entry->pieces[piece]);
    lock.lock();
    if (++entry->piecesDone == entry->pieces.size()) {
      entry->fd.Reset();
      finished_.notify_all();
    }
  }
}

void CZipPacker::Compress(CEntryCompressor& compressor, Entry& entry, Piece& piece) {
  piece.ok = entry.split ? compressor.CompressPiece(entry.fd.Get(), piece.offset, piece.length, piece.toEnd, piece.data,
                                                    piece.digest)
                         : compressor.Compress(entry.fd.Get(), piece.data, piece.digest);
}

void CZipPacker::Split(Entry& entry, const struct stat* st) {
  const uint64_t size = st && S_ISREG(st->st_mode) ? static_cast<uint64_t>(st->st_size) : 0;
  if (!entry.isFile || size < kSplitFrom) {
    entry.pieces.push_back(std::make_unique<Piece>(pool_, memoryPerEntry_, spillDirectory_));
    return;
  }
  const uint64_t length = PieceSize(size);
  const uint64_t count = (size + length - 1) / length;
  const size_t memory = std::max(kDataBlockSize, std::min(memoryPerEntry_, kMemoryBudget / count));
  entry.split = true;
  for (uint64_t i = 0; i < count; ++i) {
    auto piece = std::make_unique<Piece>(pool_, memory, spillDirectory_);
    piece->offset = i * length;
    piece->length = length;
    piece->toEnd = i + 1 == count;  // the last piece takes what the file has grown by
    entry.pieces.push_back(std::move(piece));
  }
}

bool CZipPacker::Add(std::string name, const struct stat* st, UniqueFd fd) {
  if (failed_) return false;
  auto entry = std::make_unique<Entry>();
  entry->name = std::move(name);
  entry->info = EntryFileInfo(st);
  entry->isFile = fd.IsValid();
  entry->zip64 = entry->isFile && st && static_cast<uint64_t>(st->st_size) >= 0xFFFFFFFFu;
  entry->fd = std::move(fd);
  Split(*entry, st);
  if (workers_.empty()) {
    for (auto& piece : entry->pieces) Compress(ownCompressor_, *entry, *piece);
    entry->fd.Reset();
    return Write(*entry);
  }
  // Pieces in flight stay within the bound; an entry of more pieces waits for an empty queue.
  while (!queue_.empty() && piecesInFlight_ + entry->pieces.size() > maxInFlight_)
    if (!WriteOldest()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    piecesInFlight_ += entry->pieces.size();
    for (size_t i = 0; i < entry->pieces.size(); ++i) tasks_.emplace_back(entry.get(), i);
    queue_.push_back(std::move(entry));
  }
  queued_.notify_all();
  return !failed_;
}

bool CZipPacker::WriteOldest() {
  std::unique_ptr<Entry> entry;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    finished_.wait(lock, [this] { return queue_.front()->Done(); });
    entry = std::move(queue_.front());
    queue_.pop_front();
    piecesInFlight_ -= entry->pieces.size();
  }
  return Write(*entry);
}

// A split entry is its pieces up to the first that ended early (the file ended or failed there),
// closed by a final block; its CRC is that of the pieces' bytes one after another.
bool CZipPacker::Write(Entry& entry) {
  EntryDigest digest;
  std::vector<const CCompressedData*> data;
  bool ok = !failed_;
  for (const auto& piece : entry.pieces) {
    ok = ok && piece->ok;
    digest.crc = static_cast<uint32_t>(
        data.empty() ? piece->digest.crc
                     : crc32_combine(digest.crc, piece->digest.crc, static_cast<z_off_t>(piece->digest.size)));
    digest.size += piece->digest.size;
    if (data.empty()) digest.text = piece->digest.text;
    data.push_back(&piece->data);
    if (entry.split && !piece->toEnd && piece->digest.size < piece->length) break;
  }
  if (!ok || !stream_.WriteEntry(entry.name, entry.info, entry.zip64, digest, data, entry.split)) {
    failed_ = true;
    return false;
  }
  if (entry.isFile) progress_->FileDone(digest.size);
  for (auto& piece : entry.pieces) piece->data.Clear();
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
