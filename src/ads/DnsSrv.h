// The LDAP servers of a DNS domain, from its "_ldap._tcp" service records.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ads {

struct SrvTarget {
  int priority = 0;
  int weight = 0;
  int port = 0;
  std::string host;
};

// The SRV records of a DNS answer, lowest priority first and, within one priority, highest weight
// first. Records of other types are passed over, and so are targets that are no plain host name
// (a target of "." means no service); an answer that does not parse as a whole gives none.
std::vector<SrvTarget> ParseSrvAnswer(const unsigned char* answer, size_t length);

// Asks the resolver for "_ldap._tcp.<domain>" and returns the targets as an LDAP URI list
// ("ldap://host:port ldap://..."); empty when the domain has none or the query fails.
std::string LdapServersOfDomain(const std::string& domain);

}  // namespace ads
