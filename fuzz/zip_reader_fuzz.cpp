// Any bytes as a zip archive: CZipReader lists and extracts them with a failure result or
// success, never a crash or a hang, and never writes outside its target, neither by an entry's
// name nor through the symbolic link that lies in the target; unpacked in order and on threads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "files/EntryPath.h"
#include "files/ParallelExtraction.h"
#include "files/ZipReader.h"

namespace {

namespace fs = std::filesystem;

// Made once and removed at exit; kept on the heap so that it outlives the static destructors.
const std::string& WorkFolder() {
  static const std::string* folder = [] {
    auto* path = new std::string(fs::temp_directory_path().string() + "/orn-zip-fuzz-" + std::to_string(getpid()));
    fs::remove_all(*path);
    fs::create_directories(*path + "/outside");
    atexit([] {
      std::error_code ignored;
      fs::remove_all(WorkFolder(), ignored);
    });
    return path;
  }();
  return *folder;
}

// The work folder holds the archive, the target and the empty folder the link points to.
void CheckContained(const std::string& work) {
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(work)) {
    const std::string name = entry.path().filename().string();
    if (name != "archive.zip" && name != "target" && name != "outside") abort();
    ++entries;
  }
  if (entries != 3 || !fs::is_empty(work + "/outside")) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& work = WorkFolder();
  const std::string archive = work + "/archive.zip";
  const std::string target = work + "/target";
  FILE* file = fopen(archive.c_str(), "wb");
  if (!file) return 0;
  fwrite(data, 1, size, file);
  fclose(file);
  fs::create_directories(target);
  fs::create_symlink(work + "/outside", target + "/link");

  orn::CZipReader reader;
  if (reader.Open(archive)) {
    size_t listed = 0;
    reader.ListEntries([&listed](const orn::ZipEntryInfo& info) {
      if (info.name.size() > orn::kMaxEntryName) abort();
      ++listed;
    });
    reader.ExtractAll(target, listed % 2 == 1);  // both ways of naming files
    reader.Close();
    // The same on three threads, into a fresh target.
    CheckContained(work);
    fs::remove_all(target);
    fs::create_directories(target);
    fs::create_symlink(work + "/outside", target + "/link");
    orn::ExtractAllInParallel(archive, target, 3);
  }
  CheckContained(work);
  fs::remove_all(target);
  return 0;
}
