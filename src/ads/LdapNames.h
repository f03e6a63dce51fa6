// Distinguished names as the LDAP provider needs them: the relative name of an entry, the DN a
// path names, and the DNS domain of a DN's domain components. Parsing is libldap's (LDAPv3).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ads {

// The entry's first RDN with its attribute types in upper case and its values escaped as in a DN
// (plus '/' as "\/", as in a path): "CN=Meier\, Hans", "OU=Vertrieb", "CN=a+UID=b". A DN that does
// not parse gives its text up to the first unescaped ','.
std::string RelativeName(std::string_view dn);

// The DN of path segments: the first is a DN, each further one lies below the one before, so
// {"OU=a,DC=x", "OU=b"} gives "OU=b,OU=a,DC=x". Null when a segment is no DN.
std::optional<std::string> SegmentsToDn(const std::vector<std::string>& segments);

// True when dn is suffix or lies below it (types and values compared ignoring ASCII case).
bool DnWithin(std::string_view dn, std::string_view suffix);

// The DNS domain of the DN's DC components in order: "OU=a,DC=x,DC=y" gives "x.y"; "" when none.
std::string DomainOfDn(std::string_view dn);

}  // namespace ads
