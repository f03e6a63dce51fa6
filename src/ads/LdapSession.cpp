#include "ads/LdapSession.h"

#include <string.h>
#include <sys/time.h>

#include "ads/AdsLastError.h"
#include "ads/DnsSrv.h"
#include "ads/LdapConfig.h"
#include "ads/LdapNames.h"

namespace ads {

namespace {

constexpr int kLdapsPort = 636;

std::string ServerUris(const AdsPath& path, const std::string& serverlessDn) {
  if (!path.host.empty()) {
    const bool secure = path.port == kLdapsPort;
    std::string uri = secure ? "ldaps://" : "ldap://";
    uri += path.host;
    if (path.port) uri += ":" + std::to_string(path.port);
    return uri;
  }
  std::string uris = ConfiguredLdapUri();
  if (uris.empty()) uris = LdapServersOfDomain(DomainOfDn(serverlessDn));
  return uris;
}

HRESULT CodeOf(int rc) {
  switch (rc) {
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_TIMEOUT:
      return E_ADS_SERVER_UNREACHABLE;
    case LDAP_NO_SUCH_OBJECT:
      return E_ADS_UNKNOWN_OBJECT;
    case LDAP_NO_MEMORY:
      return E_OUTOFMEMORY;
    case LDAP_TIMELIMIT_EXCEEDED:
    case LDAP_SIZELIMIT_EXCEEDED:
    case LDAP_ADMINLIMIT_EXCEEDED:
    case LDAP_UNAVAILABLE_CRITICAL_EXTENSION:
    case LDAP_UNWILLING_TO_PERFORM:
      return LdapResultFailure(rc);
    default:
      return E_FAIL;
  }
}

HRESULT Bind(LdapSession& session, const LdapBinding& binding) {
  if (binding.dn.empty()) return S_OK;  // anonymous
  std::string password;
  if (!ReadPasswordFile(binding.passwordFile, password))
    return SetLastAdsError(E_FAIL, "the password file (ORN_LDAP_PASSWORD_FILE) cannot be read or is empty");
  berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
  const int rc =
      ldap_sasl_bind_s(session.Handle(), binding.dn.c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
  explicit_bzero(password.data(), password.size());
  if (rc != LDAP_SUCCESS) return session.Fail(rc, "bind as " + binding.dn);
  return S_OK;
}

}  // namespace

HRESULT LdapSession::Open(const AdsPath& path, const std::string& serverlessDn, std::shared_ptr<LdapSession>* session) {
  const std::string uris = ServerUris(path, serverlessDn);
  if (uris.empty())
    return SetLastAdsError(E_ADS_SERVER_UNREACHABLE,
                           "no LDAP server: neither ldap.conf (URI) nor DNS (_ldap._tcp) "
                           "names one");
  LDAP* ld = nullptr;
  const int rc = ldap_initialize(&ld, uris.c_str());
  if (rc != LDAP_SUCCESS || !ld) return SetLastAdsError(E_ADS_BAD_PATHNAME, "invalid LDAP URI: " + uris);
  std::shared_ptr<LdapSession> opened(new LdapSession(ld));

  const int version = LDAP_VERSION3;
  timeval connect{kConnectSeconds, 0}, answer{kAnswerSeconds, 0};
  ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &connect);
  ldap_set_option(ld, LDAP_OPT_TIMEOUT, &answer);

  const LdapBinding binding = BindingFromEnvironment();
  if (binding.startTls) {
    const int tls = ldap_start_tls_s(ld, nullptr, nullptr);
    if (tls != LDAP_SUCCESS) return opened->Fail(tls, "StartTLS with " + uris);
  }
  const HRESULT bound = Bind(*opened, binding);
  if (Failed(bound)) return bound;
  *session = std::move(opened);
  return S_OK;
}

LdapSession::~LdapSession() { ldap_unbind_ext_s(ld_, nullptr, nullptr); }

HRESULT LdapSession::DefaultNamingContext(std::string* context) {
  if (defaultNamingContext_.empty()) {
    char defaultContext[] = "defaultNamingContext";
    char contexts[] = "namingContexts";
    char* attributes[] = {defaultContext, contexts, nullptr};
    LDAPMessage* result = nullptr;
    const int rc = ldap_search_ext_s(ld_, "", LDAP_SCOPE_BASE, "(objectClass=*)", attributes, 0, nullptr, nullptr,
                                     nullptr, LDAP_NO_LIMIT, &result);
    LDAPMessage* entry = rc == LDAP_SUCCESS ? ldap_first_entry(ld_, result) : nullptr;
    for (char* name : {defaultContext, contexts}) {
      if (!entry || !defaultNamingContext_.empty()) break;
      berval** values = ldap_get_values_len(ld_, entry, name);
      if (values && values[0]) defaultNamingContext_.assign(values[0]->bv_val, values[0]->bv_len);
      ldap_value_free_len(values);
    }
    if (result) ldap_msgfree(result);
    if (rc != LDAP_SUCCESS) return Fail(rc, "reading the root DSE");
    if (defaultNamingContext_.empty())
      return SetLastAdsError(E_ADS_UNKNOWN_OBJECT, "the server's root DSE names no naming context");
  }
  *context = defaultNamingContext_;
  return S_OK;
}

HRESULT LdapSession::Fail(int rc, const std::string& what) const {
  std::string text = what + ": " + ldap_err2string(rc);
  char* diagnostic = nullptr;
  if (ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS && diagnostic) {
    if (*diagnostic) text += std::string(" (") + diagnostic + ")";
    ldap_memfree(diagnostic);
  }
  return SetLastAdsError(CodeOf(rc), text);
}

}  // namespace ads
