// One connection to a directory server: opened for a path, bound as the environment says, shared
// by the object bound through it and by that object's enumerators.
#pragma once

#include <ldap.h>

#include <memory>
#include <string>

#include "ads/AdsApi.h"
#include "ads/AdsPath.h"

namespace ads {

class LdapSession {
 public:
  // Connects to the path's server: its host (port 636 means ldaps), or for a serverless path the
  // configured URI, else the "_ldap._tcp" servers of the domain of serverlessDn. Then StartTLS and
  // the bind, when the environment asks for them. Failures are recorded for ADsGetLastError.
  static HRESULT Open(const AdsPath& path, const std::string& serverlessDn, std::shared_ptr<LdapSession>* session);

  ~LdapSession();
  LdapSession(const LdapSession&) = delete;
  LdapSession& operator=(const LdapSession&) = delete;

  LDAP* Handle() const { return ld_; }

  // The root DSE's defaultNamingContext, else its first namingContexts value. Fails when the root
  // DSE cannot be read or names neither.
  HRESULT DefaultNamingContext(std::string* context);

  // Records the failure of an LDAP call (the library's text and the server's diagnostic) and
  // returns the matching code.
  HRESULT Fail(int rc, const std::string& what) const;

 private:
  explicit LdapSession(LDAP* ld) : ld_(ld) {}
  LDAP* ld_;
  std::string defaultNamingContext_;
};

// Timeouts of every connection: connecting, and waiting for one answer.
inline constexpr int kConnectSeconds = 10;
inline constexpr int kAnswerSeconds = 120;

}  // namespace ads
