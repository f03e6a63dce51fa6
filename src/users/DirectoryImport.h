// The two directory imports as one call per step, so that a page reads its controls, calls one of
// these and shows the result, and the command line reaches the same functions. The reads throw
// MessageError (the readers' texts); ReadDirectoryUsers and ImportDirectoryUsers turn every
// failure into the message to show.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "users/ConfigUsers.h"
#include "users/DirectoryModule.h"
#include "users/DirectoryReader.h"
#include "users/ImportUser.h"

namespace orn {

// The users of one read, and whether the directory delivered them all.
struct DirectoryRead {
  ImportUserList users;
  DirectoryReadStatus status;
};

// The LDAP import's read: a CDirectoryReader on "LDAP://<server>" that walks into
// "builtinDomain", "organizationalUnit" and "dominoOrganization" and takes "Contact" and
// "dominoPerson". module: null loads libornads.so for the read.
DirectoryRead ReadLdapUsers(const std::string& server, std::shared_ptr<const DirectoryModule> module = nullptr);

// The network import's name and reader order, as its first page starts: USERDNSDOMAIN (LDAP
// first), else USERDOMAIN or "." (WinNT first). A value longer than 255 characters counts as unset.
struct NetworkSource {
  std::string name;
  bool winNTFirst = true;
};
NetworkSource DefaultNetworkSource();

// The network import's read: the first reader (CWinNTDirectoryReader when winNTFirst, else
// CDomainDirectoryReader) on name; when it fails in any way or finds nobody, the other one, whose
// result or failure counts.
DirectoryRead ReadNetworkUsers(const std::string& name, bool winNTFirst,
                               std::shared_ptr<const DirectoryModule> module = nullptr);

inline constexpr const char* kDirectoryImportFailed = "Die Benutzerdaten konnten nicht importiert werden.";
inline constexpr const char* kNoUsersAvailable = "Keine Benutzer verfügbar.";

struct DirectoryReadResult {
  enum class Outcome {
    kRead,        // every user the directory holds
    kIncomplete,  // the directory ended the read early; users holds what was read
    kNoUsers,     // nothing to import
    kFailed,
  };
  Outcome outcome = Outcome::kFailed;
  ImportUserList users;
  std::string message;  // the text to show for every outcome but kRead
};

// Runs a read (ReadLdapUsers or ReadNetworkUsers, or a test's stand-in) as the import's first step:
// a failure becomes "<kDirectoryImportFailed>\n\nFehlermeldung: <text>", followed by "\nDetails:
// <the module's explanation>" when it gave one; an empty result "Keine Benutzer verfügbar." (with
// the reason when the read was cut short); a read cut short keeps its users, and its message says
// how many were read and why the directory ended the read.
DirectoryReadResult ReadDirectoryUsers(const std::function<DirectoryRead()>& read);

// "Der Verzeichnisdienst hat das Lesen vorzeitig beendet: ..." with the count and the reason.
std::string IncompleteReadText(size_t usersRead, const DirectoryReadStatus& status);

enum class DirectorySource { kLdap, kNetwork };

struct DirectoryImportResult {
  bool success = false;
  std::string message;
  AddUsersReport report;
};

// Adds the users to the installed configuration (GetCurrentConfigPath). stopServer runs first when
// given: the network import passes StopServer (wrapped in its wait cursor), the LDAP import nothing.
// Texts: "Die Benutzerdaten wurden erfolgreich importiert." (LDAP) or "Die Benutzer wurden
// erfolgreich importiert." (network); a failure "<kDirectoryImportFailed>\n\nFehlermeldung<sep>
// <text>", the separator a semicolon for LDAP and a colon for the network import.
DirectoryImportResult ImportDirectoryUsers(DirectorySource source, const ImportUserList& users,
                                           const std::function<void()>& stopServer);

// What AddDirectoryUsers would do, worked out on a private copy of the installed configuration:
// the names that would be added (as stored, i.e. cleaned) and how many would be skipped.
struct DirectoryImportPreview {
  std::vector<std::string> added;
  size_t skipped = 0;
};
DirectoryImportPreview PreviewDirectoryUsers(const ImportUserList& users);

}  // namespace orn
