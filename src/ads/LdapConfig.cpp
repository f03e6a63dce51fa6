#include "ads/LdapConfig.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ads {

namespace {

std::string Environment(const char* name) {
  const char* value = getenv(name);
  return value ? value : "";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string UriOfLdapConf(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.size() < 4 || strncasecmp(line.data(), "URI", 3) != 0 || !IsBlank(line[3])) continue;
    line.remove_prefix(4);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    return std::string(line);
  }
  return "";
}

std::string ConfiguredLdapUri() {
  const std::string uri = Environment("LDAPURI");
  if (!uri.empty()) return uri;
  if (getenv("LDAPNOINIT")) return "";
  std::string file = Environment("LDAPCONF");
  if (file.empty()) file = "/etc/ldap/ldap.conf";
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return UriOfLdapConf(text.str());
}

LdapBinding BindingFromEnvironment() {
  LdapBinding binding;
  binding.dn = Environment("ORN_LDAP_BINDDN");
  binding.passwordFile = Environment("ORN_LDAP_PASSWORD_FILE");
  const std::string tls = Environment("ORN_LDAP_STARTTLS");
  binding.startTls = tls == "1" || strcasecmp(tls.c_str(), "yes") == 0 || strcasecmp(tls.c_str(), "demand") == 0;
  return binding;
}

bool ReadPasswordFile(const std::string& path, std::string& password) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::getline(in, password);
  if (in.bad()) password.clear();
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return !password.empty();
}

}  // namespace ads
