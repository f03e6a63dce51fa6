// The two directory imports as one call per step, so that a page reads its controls, calls one of
// these and shows the result, and the command line reaches the same functions. Failures are thrown
// as MessageError (the texts of the readers, of StopServer and of AddUsers).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "users/ConfigUsers.h"
#include "users/DirectoryModule.h"
#include "users/ImportUser.h"

namespace orn {

// The LDAP import's read: a CDirectoryReader on "LDAP://<server>" that walks into
// "builtinDomain", "organizationalUnit" and "dominoOrganization" and takes "Contact" and
// "dominoPerson". module: null loads libornads.so for the read.
ImportUserList ReadLdapUsers(const std::string& server, std::shared_ptr<const DirectoryModule> module = nullptr);

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
ImportUserList ReadNetworkUsers(const std::string& name, bool winNTFirst,
                                std::shared_ptr<const DirectoryModule> module = nullptr);

// Adds the users to the installed configuration (GetCurrentConfigPath). stopServer runs first when
// given: the network import passes StopServer (wrapped in its wait cursor), the LDAP import nothing.
void AddDirectoryUsers(const ImportUserList& users, const std::function<void()>& stopServer,
                       AddUsersReport* report = nullptr);

// What AddDirectoryUsers would do, worked out on a private copy of the installed configuration:
// the names that would be added (as stored, i.e. cleaned) and how many would be skipped.
struct DirectoryImportPreview {
  std::vector<std::string> added;
  size_t skipped = 0;
};
DirectoryImportPreview PreviewDirectoryUsers(const ImportUserList& users);

}  // namespace orn
