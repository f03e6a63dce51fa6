// Packs entries into a zip archive on several threads: entries are queued in archive order, each
// is deflated by the workers (one deflate state per worker, reset between pieces), and the writer
// puts them into the archive in the order they were queued. A file of 1 MB or more is deflated in
// pieces that join into one deflate stream (each piece primed with the 32 KB before it and ended
// with a sync flush, the stream closed by an empty final block), so that a large file keeps every
// core busy; how a file is cut depends on its size alone. The archive is byte for byte the same
// with any number of threads. Memory stays bounded: at most 128 pieces (four per worker beyond
// 32 workers) are in flight, and each holds at most a bounded part of its deflated bytes in
// memory (the rest in an unnamed temporary file). With one thread everything happens on the
// caller's thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "files/CompressedData.h"
#include "files/EntryCompressor.h"
#include "files/PackSink.h"
#include "files/Progress.h"
#include "files/UniqueFd.h"
#include "files/ZipStream.h"

namespace orn {

// The number of threads a backup packs on by default: one per processor.
unsigned DefaultPackThreads();

class CZipPacker {
 public:
  // threads 0 means DefaultPackThreads(); at most 64 are used. Spilled data goes below spillDirectory.
  CZipPacker(CPackSink& sink, unsigned threads, std::string spillDirectory);
  ~CZipPacker();
  CZipPacker(const CZipPacker&) = delete;
  CZipPacker& operator=(const CZipPacker&) = delete;

  bool Open();
  // Queues the entry name: the data of the open file fd (taken over), or no data for an invalid
  // fd (a folder); st describes the source (null: missing, see EntryFileInfo). False once the
  // archive has failed.
  bool Add(std::string name, const struct stat* st, UniqueFd fd);
  // Writes the oldest queued entry; false when none was queued or writing failed. Frees its
  // descriptor, for a caller that ran out of them.
  bool WriteOldest();
  // Writes what is queued, the central directory and the end records.
  bool Close();
  bool Failed() const { return failed_; }
  // Where every file written into the archive is reported (the default reports to nobody).
  void SetProgress(Progress& progress) { progress_ = &progress; }
  unsigned Threads() const { return threads_; }

 private:
  struct Piece;
  struct Entry;
  void Work();
  void Split(Entry& entry, const struct stat* st);
  void Compress(CEntryCompressor& compressor, Entry& entry, Piece& piece);
  bool Write(Entry& entry);
  void Stop();

  CZipStream stream_;
  unsigned threads_;
  std::string spillDirectory_;
  size_t maxInFlight_;
  size_t memoryPerEntry_;
  CBlockPool pool_;
  CEntryCompressor ownCompressor_;  // the caller's, with one thread
  bool failed_ = false;
  Progress* progress_ = &NoProgress();

  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable finished_;
  std::deque<std::unique_ptr<Entry>> queue_;     // in archive order, until written
  std::deque<std::pair<Entry*, size_t>> tasks_;  // pieces no worker has taken yet
  size_t piecesInFlight_ = 0;                    // of the entries in queue_
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace orn
