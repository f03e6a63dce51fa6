// ADsPaths as the module reads them:
//   LDAP://host[:port][/DN[/RDN...]]   a server, then the object: a DN, and below it one RDN a part
//   LDAP://DN[/RDN...] and LDAP://     serverless: the server comes from the system's configuration
//   WinNT://name                       the local accounts, for "." or this host's name
// Parts are separated by '/'; "\/" stands for a '/' inside a part, and a backslash keeps the
// character after it (DN escapes such as "\," pass through unchanged). Provider names are
// case-sensitive.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ads {

struct AdsPath {
  enum class Provider { Ldap, WinNT };
  Provider provider = Provider::Ldap;
  std::string host;                   // LDAP: host name, IPv4 or [IPv6]; empty when serverless
  int port = 0;                       // 0: the default port
  std::vector<std::string> segments;  // the parts after the host, "\/" turned into '/'
};

// Null when the text is no path of either provider, a port is not 1..65535, a host holds other
// characters than letters, digits, '.', '-', '_' (or an IPv6 address in brackets), or a part is
// empty.
std::optional<AdsPath> ParseAdsPath(std::string_view path);

// The path of the object dn on the server of a parsed path: "LDAP://host[:port]/DN", or
// "LDAP://DN" when serverless; a '/' in the DN is written "\/".
std::string FormatLdapPath(const AdsPath& server, std::string_view dn);

}  // namespace ads
