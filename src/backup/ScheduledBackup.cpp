#include "backup/ScheduledBackup.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace orn {

namespace {

namespace fs = std::filesystem;

bool IsArchiveName(const std::string& name) {
  const auto endsWith = [&](const char* suffix) {
    const std::string s(suffix);
    return name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
  };
  return name.rfind("orn_", 0) == 0 && (endsWith(".eff") || endsWith(".zip"));
}

// Removes the older archives beside kept; returns the failure text, or empty.
std::string RemoveOlderArchives(const fs::path& kept, size_t keep) {
  struct Archive {
    fs::file_time_type time;
    fs::path path;
  };
  std::vector<Archive> archives;
  std::error_code error;
  for (fs::directory_iterator it(kept.parent_path(), error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!IsArchiveName(name) || !it->is_regular_file(error) || it->is_symlink(error)) continue;
    if (fs::equivalent(it->path(), kept, error)) continue;
    archives.push_back({it->last_write_time(error), it->path()});
  }
  if (error) return "Das Verzeichnis " + kept.parent_path().string() + " konnte nicht gelesen werden.";
  std::sort(archives.begin(), archives.end(),
            [](const Archive& a, const Archive& b) { return a.time != b.time ? a.time > b.time : a.path > b.path; });
  for (size_t i = keep - 1; i < archives.size(); ++i)
    if (!fs::remove(archives[i].path, error))
      return "Die ältere Sicherung " + archives[i].path.string() + " konnte nicht gelöscht werden.";
  return "";
}

}  // namespace

BackupResult RunBackupKeeping(BackupRequest request, size_t keep) {
  std::error_code error;
  if (!request.path.empty() && fs::is_directory(request.path, error)) {
    std::string folder = request.path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    request.path = DefaultArchivePath(folder == "/" ? "" : folder);
  }
  BackupResult result = RunBackup(request);
  if (!result.success || keep == 0) return result;
  const std::string failure = RemoveOlderArchives(fs::absolute(result.archivePath, error), keep);
  if (!failure.empty()) {
    result.success = false;
    result.message += "\n" + failure;
  }
  return result;
}

}  // namespace orn
