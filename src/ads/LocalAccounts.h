// The local account database as the WinNT:// provider shows it: the accounts from UID_MIN up
// (as /etc/login.defs sets it, 1000 otherwise), without "nobody", each once, in the order NSS
// delivers them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ads {

struct LocalAccount {
  std::string name;
  std::string fullName;  // from the GECOS field
};

inline constexpr long kDefaultUidMin = 1000;

// UID_MIN of a login.defs text: the last "UID_MIN <number>" line; kDefaultUidMin when there is
// none or its number is not a decimal from 0 to 2^32-1.
long UidMinOfLoginDefs(std::string_view text);

// The full name of a GECOS field: the text before its first ','; each '&' stands for the login
// name with its first letter in upper case.
std::string FullNameOfGecos(std::string_view gecos, std::string_view login);

// The accounts through NSS (getpwent). For tests, ORN_ADS_PASSWD_FILE names a file in passwd
// format that is read instead (fgetpwent), so that no test touches the machine's accounts.
std::vector<LocalAccount> ReadLocalAccounts();

// True when name is "." or this host's name (in full or its first label, ignoring ASCII case).
bool IsLocalComputerName(std::string_view name);

}  // namespace ads
