#include "backup/RegistrySnapshot.h"

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "install/TaskValues.h"

namespace orn {

namespace {

// Longest line taken from the file; the rest of a longer line is skipped.
constexpr size_t kMaxLine = 64 * 1024;

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

std::string SnapshotPath(const std::string& directory) { return directory + "/" + kRegistrySnapshotName; }

// Reads lines as a text-mode stream on Windows gives them to a reused text variable.
class SnapshotLines {
 public:
  explicit SnapshotLines(FILE* file) : file_(file) {}
  // Sets text to the next line (its CR LF dropped); at the end of the file, the first read that
  // finds nothing left empties text, and every later read leaves it as it is.
  void Next(std::string& text) {
    int c = getc(file_);
    if (c == EOF) {
      if (!ended_) text.clear();
      ended_ = true;
      return;
    }
    text.clear();
    for (; c != EOF && c != '\n'; c = getc(file_))
      if (text.size() < kMaxLine) text += static_cast<char>(c);
    if (c == EOF) ended_ = true;  // a last line without a line break
    if (c == '\n' && !text.empty() && text.back() == '\r') text.pop_back();
  }

 private:
  FILE* file_;
  bool ended_ = false;
};

}  // namespace

void WriteRegistrySnapshot(const std::string& directory) {
  const std::string path = SnapshotPath(directory);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  File file(fd >= 0 ? fdopen(fd, "wb") : nullptr);
  if (!file) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("reg.cfg could not be written.");
  }
  RegistryKey key(RegistryRoot::LocalMachine, kProductKey, kKeyAllAccess);
  bool written = true;
  for (const char* name : kTaskValueNames) {
    std::string text;
    key.GetString(name, text);
    text = text.substr(0, text.find_first_of("\r\n"));
    written =
        fputs(text.c_str(), file.get()) >= 0 && fputs("\r\n", file.get()) >= 0 && fflush(file.get()) == 0 && written;
  }
  if (fclose(file.release()) != 0 || !written) throw std::runtime_error("reg.cfg could not be written.");
}

std::vector<std::string> ReadRegistrySnapshotLines(const std::string& directory) {
  const int fd = open(SnapshotPath(directory).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  File file(fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "rb") : nullptr);
  if (!file) {
    if (fd >= 0) close(fd);
    return {};
  }
  SnapshotLines lines(file.get());
  std::vector<std::string> values;
  std::string text;
  for (size_t i = 0; i < std::size(kTaskValueNames); ++i) {
    lines.Next(text);
    values.push_back(text);
  }
  return values;
}

bool ReadRegistrySnapshot(const std::string& directory) {
  const std::vector<std::string> values = ReadRegistrySnapshotLines(directory);
  if (values.empty()) return false;
  RegistryKey key(RegistryRoot::LocalMachine, kProductKey, kKeyAllAccess);
  for (size_t i = 0; i < values.size(); ++i) key.SetString(kTaskValueNames[i], values[i]);
  return true;
}

}  // namespace orn
