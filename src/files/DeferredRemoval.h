// Files that make way, removed beside the caller's work: each is renamed at once to a temporary
// name in its folder (a leftover that the next run removes, should this one be killed), and the
// unlink, which frees the file's blocks, runs on a thread of its own. Freeing a large file's
// blocks costs the file system far more than renaming it.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "files/UniqueFd.h"

namespace orn {

class DeferredRemoval {
 public:
  DeferredRemoval() = default;
  ~DeferredRemoval();  // waits until every file handed over is removed
  DeferredRemoval(const DeferredRemoval&) = delete;
  DeferredRemoval& operator=(const DeferredRemoval&) = delete;

  // Takes the file name out of the folder: renamed aside and removed later. folder is the open
  // folder, shared so that it stays open until the removal. False when the name could not be
  // renamed; the file is then removed at once (true when that worked).
  bool Remove(const std::shared_ptr<UniqueFd>& folder, const std::string& name);

 private:
  struct Pending {
    std::shared_ptr<UniqueFd> folder;
    std::string name;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Pending> pending_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace orn
