// The LDAP:// provider: binds the object a path names and enumerates its children with paged
// one-level searches (RFC 2696), so that a directory larger than the server's size limit is read
// whole.
#pragma once

#include "ads/AdsApi.h"
#include "ads/AdsPath.h"

namespace ads {

// Children are fetched this many at a time.
inline constexpr int kLdapPageSize = 250;

// Binds the path's object: the DN the path names, or the server's default naming context when it
// names none. A DN that does not exist as written is tried again below the default naming context,
// so that "LDAP://host/OU=a/OU=b" names OU=b,OU=a,<default naming context>.
HRESULT LdapGetObject(const AdsPath& path, REFIID iid, void** object);

}  // namespace ads
