#include "users/DirectoryImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <exception>

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
DirectoryRead Read(Reader& reader, const std::string& name) {
  reader.SetPath(name);
  DirectoryRead read;
  reader.EnumerateUsers(read.users);
  read.status = reader.ReadStatus();
  return read;
}

template <class Reader>
DirectoryRead Read(const std::string& name, const std::shared_ptr<const DirectoryModule>& module) {
  Reader reader = module ? Reader(module) : Reader();
  return Read(reader, name);
}

std::string FailureText(const char* separator) {
  std::string text = std::string(kDirectoryImportFailed) + "\n\nFehlermeldung" + separator + " ";
  try {
    throw;
  } catch (const MessageError& error) {
    text += error.Text();
  } catch (const std::exception& error) {
    text += error.what();
  } catch (...) {
  }
  return text;
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

DirectoryRead ReadLdapUsers(const std::string& server, std::shared_ptr<const DirectoryModule> module) {
  CDirectoryReader reader = module ? CDirectoryReader(module) : CDirectoryReader();
  reader.SetContainerClasses({"builtinDomain", "organizationalUnit", "dominoOrganization"});
  reader.SetUserClasses({"Contact", "dominoPerson"});
  return Read(reader, server);
}

NetworkSource DefaultNetworkSource() {
  const std::string dnsDomain = EnvironmentValue("USERDNSDOMAIN");
  if (!dnsDomain.empty()) return {dnsDomain, false};
  const std::string domain = EnvironmentValue("USERDOMAIN");
  return {domain.empty() ? "." : domain, true};
}

DirectoryRead ReadNetworkUsers(const std::string& name, bool winNTFirst,
                               std::shared_ptr<const DirectoryModule> module) {
  const auto readWith = [&](bool winNT) {
    return winNT ? Read<CWinNTDirectoryReader>(name, module) : Read<CDomainDirectoryReader>(name, module);
  };
  try {
    DirectoryRead read = readWith(winNTFirst);
    if (!read.users.Empty()) return read;
  } catch (...) {
    // The first read's failure is not shown; the other reader gets its turn.
  }
  return readWith(!winNTFirst);
}

std::string IncompleteReadText(size_t usersRead, const DirectoryReadStatus& status) {
  char code[16];
  snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status.code));
  return "Der Verzeichnisdienst hat das Lesen vorzeitig beendet: es wurden nur " + std::to_string(usersRead) +
         " Benutzer gelesen.\nGrund: " + (status.reason.empty() ? std::string("unbekannt") : status.reason) +
         " (Code " + code + ")";
}

DirectoryReadResult ReadDirectoryUsers(const std::function<DirectoryRead()>& read) {
  using Outcome = DirectoryReadResult::Outcome;
  DirectoryReadResult result;
  DirectoryRead got;
  ClearLastDirectoryFailureDetail();  // only this read's explanation is shown
  try {
    got = read();
  } catch (...) {
    result.message = FailureText(":");
    if (!LastDirectoryFailureDetail().empty()) result.message += "\nDetails: " + LastDirectoryFailureDetail();
    return result;
  }
  result.users = std::move(got.users);
  if (result.users.Empty()) {
    result.outcome = Outcome::kNoUsers;
    result.message = kNoUsersAvailable;
    if (!got.status.complete) result.message += "\n\n" + IncompleteReadText(0, got.status);
  } else if (!got.status.complete) {
    result.outcome = Outcome::kIncomplete;
    result.message = IncompleteReadText(result.users.Count(), got.status);
  } else {
    result.outcome = Outcome::kRead;
  }
  return result;
}

DirectoryImportResult ImportDirectoryUsers(DirectorySource source, const ImportUserList& users,
                                           const std::function<void()>& stopServer) {
  const bool ldap = source == DirectorySource::kLdap;
  DirectoryImportResult result;
  try {
    if (stopServer) stopServer();
    AddUsers(CurrentConfigPath().c_str(), users, &result.report);
  } catch (...) {
    result.message = FailureText(ldap ? ";" : ":");
    return result;
  }
  result.success = true;
  result.message =
      ldap ? "Die Benutzerdaten wurden erfolgreich importiert." : "Die Benutzer wurden erfolgreich importiert.";
  return result;
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
