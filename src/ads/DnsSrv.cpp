#include "ads/DnsSrv.h"

#include <arpa/nameser.h>
#include <netinet/in.h>
#include <resolv.h>

#include <algorithm>
#include <cctype>

namespace ads {

namespace {

// Host names only: anything else in a target would change the URI list it is written into.
bool IsPlainHostName(const std::string& host) {
  if (host.empty() || host == ".") return false;
  for (char c : host)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') return false;
  return true;
}

}  // namespace

std::vector<SrvTarget> ParseSrvAnswer(const unsigned char* answer, size_t length) {
  std::vector<SrvTarget> targets;
  if (length > NS_MAXMSG) return targets;
  ns_msg message;
  if (ns_initparse(answer, static_cast<int>(length), &message) < 0) return targets;
  const int count = ns_msg_count(message, ns_s_an);
  for (int i = 0; i < count; ++i) {
    ns_rr record;
    if (ns_parserr(&message, ns_s_an, i, &record) < 0) break;
    if (ns_rr_type(record) != ns_t_srv || ns_rr_rdlen(record) < 7) continue;
    const unsigned char* data = ns_rr_rdata(record);
    SrvTarget target;
    target.priority = ns_get16(data);
    target.weight = ns_get16(data + 2);
    target.port = ns_get16(data + 4);
    char host[NS_MAXDNAME];
    if (dn_expand(ns_msg_base(message), ns_msg_end(message), data + 6, host, sizeof host) < 0) continue;
    target.host = host;
    if (!IsPlainHostName(target.host) || target.port == 0) continue;
    targets.push_back(std::move(target));
  }
  std::stable_sort(targets.begin(), targets.end(), [](const SrvTarget& a, const SrvTarget& b) {
    return a.priority != b.priority ? a.priority < b.priority : a.weight > b.weight;
  });
  return targets;
}

std::string LdapServersOfDomain(const std::string& domain) {
  if (domain.empty()) return "";
  unsigned char answer[NS_PACKETSZ * 16];
  const int length = res_query(("_ldap._tcp." + domain).c_str(), ns_c_in, ns_t_srv, answer, sizeof answer);
  if (length <= 0) return "";
  std::string uris;
  for (const SrvTarget& target : ParseSrvAnswer(answer, std::min(static_cast<size_t>(length), sizeof answer))) {
    if (!uris.empty()) uris += ' ';
    uris += "ldap://" + target.host + ":" + std::to_string(target.port);
  }
  return uris;
}

}  // namespace ads
