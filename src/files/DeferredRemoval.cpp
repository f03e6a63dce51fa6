#include "files/DeferredRemoval.h"

#include <fcntl.h>
#include <stdio.h>

#include "platform/AtomicFile.h"

namespace orn {

DeferredRemoval::~DeferredRemoval() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

bool DeferredRemoval::Remove(const std::shared_ptr<UniqueFd>& folder, const std::string& name) {
  const std::string aside = platform::NewTempName();
  if (renameat(folder->Get(), name.c_str(), folder->Get(), aside.c_str()) != 0)
    return unlinkat(folder->Get(), name.c_str(), 0) == 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back({folder, aside});
    if (!thread_.joinable()) thread_ = std::thread(&DeferredRemoval::Run, this);
  }
  wake_.notify_one();
  return true;
}

void DeferredRemoval::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return finished_ || !pending_.empty(); });
    if (pending_.empty()) return;
    const Pending next = std::move(pending_.front());
    pending_.pop_front();
    lock.unlock();
    unlinkat(next.folder->Get(), next.name.c_str(), 0);
    lock.lock();
  }
}

}  // namespace orn
