// What the LDAP provider takes from the system and the environment: the server of a serverless
// path, and how it binds.
#pragma once

#include <string>
#include <string_view>

namespace ads {

// The value of the first "URI" line of an ldap.conf text (keyword in any case, then blanks, then
// the URI list up to the line's end, trailing blanks dropped); "" when there is none. Lines
// starting with '#' are comments.
std::string UriOfLdapConf(std::string_view text);

// The configured server for serverless paths: LDAPURI, else the URI of the file named by
// LDAPCONF or of /etc/ldap/ldap.conf (neither when LDAPNOINIT is set); "" when none is configured.
std::string ConfiguredLdapUri();

// Binding from the environment: ORN_LDAP_BINDDN and ORN_LDAP_PASSWORD_FILE (its first line is the
// password) for a simple bind, anonymous without them; ORN_LDAP_STARTTLS = "1", "yes" or "demand"
// demands StartTLS before the bind.
struct LdapBinding {
  std::string dn;
  std::string passwordFile;
  bool startTls = false;
};
LdapBinding BindingFromEnvironment();

// The first line of the file without its line end, into password. False when the file cannot be
// read or that line is empty (an empty password would make the bind an anonymous one).
bool ReadPasswordFile(const std::string& path, std::string& password);

}  // namespace ads
