#include "files/Progress.h"

#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <utility>

#include "files/DirectoryListing.h"

namespace orn {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

void CountListed(DirectoryListing& listing, bool followLinks, std::set<FolderId>& open, ProgressTotals& totals) {
  while (const char* name = listing.Next()) {
    if (name[0] == '.') continue;
    struct stat st {};
    if (fstatat(listing.Fd(), name, &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      ++totals.files;
      totals.bytes += static_cast<uint64_t>(st.st_size);
    } else if (S_ISDIR(st.st_mode) && open.insert({st.st_dev, st.st_ino}).second) {
      DirectoryListing sub(UniqueFd(openat(listing.Fd(), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
      CountListed(sub, followLinks, open, totals);
      open.erase({st.st_dev, st.st_ino});
    }
  }
}

}  // namespace

Progress& NoProgress() {
  static Progress none;
  return none;
}

ProgressTotals CountTree(const std::string& path, bool followLinks) {
  ProgressTotals totals;
  struct stat st {};
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.IsValid() || fstat(fd.Get(), &st) != 0) return totals;
  DirectoryListing listing(std::move(fd));
  std::set<FolderId> open{{st.st_dev, st.st_ino}};
  CountListed(listing, followLinks, open, totals);
  return totals;
}

}  // namespace orn
