#include "users/DirectoryImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "platform/RuntimeDir.h"
#include "users/DirectoryReader.h"

namespace orn {

namespace {

constexpr size_t kMaxEnvironmentValue = 255;

std::string EnvironmentValue(const char* name) {
  const char* value = getenv(name);
  if (!value || strlen(value) > kMaxEnvironmentValue) return "";
  return value;
}

template <class Reader>
ImportUserList Read(const std::string& name, const std::shared_ptr<const DirectoryModule>& module) {
  Reader reader = module ? Reader(module) : Reader();
  reader.SetPath(name);
  ImportUserList users;
  reader.EnumerateUsers(users);
  return users;
}

// A private copy of a file below TEMP (mode 0600), removed with the object.
class PrivateCopy {
 public:
  explicit PrivateCopy(const std::string& source) {
    path_ = platform::TempDirectory() + "/orncfg-preview-XXXXXX";
    const int out = mkstemp(path_.data());
    if (out < 0) {
      path_.clear();
      throw MessageError("opening config file failed");
    }
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    bool copied = in >= 0;
    char buffer[65536];
    ssize_t n = 0;
    while (copied && (n = read(in, buffer, sizeof buffer)) > 0)
      copied = write(out, buffer, static_cast<size_t>(n)) == n;
    copied = copied && n == 0;
    if (in >= 0) close(in);
    close(out);
    if (!copied) throw MessageError("opening config file failed");
  }
  ~PrivateCopy() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  PrivateCopy(const PrivateCopy&) = delete;
  PrivateCopy& operator=(const PrivateCopy&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

ImportUserList ReadLdapUsers(const std::string& server, std::shared_ptr<const DirectoryModule> module) {
  CDirectoryReader reader = module ? CDirectoryReader(module) : CDirectoryReader();
  reader.SetPath(server);
  reader.SetContainerClasses({"builtinDomain", "organizationalUnit", "dominoOrganization"});
  reader.SetUserClasses({"Contact", "dominoPerson"});
  ImportUserList users;
  reader.EnumerateUsers(users);
  return users;
}

NetworkSource DefaultNetworkSource() {
  const std::string dnsDomain = EnvironmentValue("USERDNSDOMAIN");
  if (!dnsDomain.empty()) return {dnsDomain, false};
  const std::string domain = EnvironmentValue("USERDOMAIN");
  return {domain.empty() ? "." : domain, true};
}

ImportUserList ReadNetworkUsers(const std::string& name, bool winNTFirst,
                                std::shared_ptr<const DirectoryModule> module) {
  const auto readWith = [&](bool winNT) {
    return winNT ? Read<CWinNTDirectoryReader>(name, module) : Read<CDomainDirectoryReader>(name, module);
  };
  try {
    ImportUserList users = readWith(winNTFirst);
    if (!users.Empty()) return users;
  } catch (...) {
    // The first read's failure is not shown; the other reader gets its turn.
  }
  return readWith(!winNTFirst);
}

void AddDirectoryUsers(const ImportUserList& users, const std::function<void()>& stopServer, AddUsersReport* report) {
  if (stopServer) stopServer();
  AddUsers(CurrentConfigPath().c_str(), users, report);
}

DirectoryImportPreview PreviewDirectoryUsers(const ImportUserList& users) {
  const PrivateCopy copy(CurrentConfigPath());
  AddUsersReport report;
  AddUsers(copy.Path().c_str(), users, &report);
  const ImportUserList after = ReadUsers(copy.Path().c_str());
  DirectoryImportPreview preview;
  preview.skipped = report.skipped;
  for (size_t i = after.Count() - std::min(report.added, after.Count()); i < after.Count(); ++i)
    preview.added.push_back(after[i].name);
  return preview;
}

}  // namespace orn
