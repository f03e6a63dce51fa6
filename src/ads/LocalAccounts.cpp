#include "ads/LocalAccounts.h"

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace ads {

namespace {

constexpr const char* kLoginDefs = "/etc/login.defs";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool ParseDecimal(std::string_view text, long* value) {
  if (text.empty() || text.size() > 10) return false;
  long long number = 0;
  for (char c : text) {
    if (!isdigit(static_cast<unsigned char>(c))) return false;
    number = number * 10 + (c - '0');
  }
  if (number > UINT_MAX) return false;
  *value = static_cast<long>(number);
  return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

class AccountCollector {
 public:
  explicit AccountCollector(long uidMin) : uidMin_(uidMin) {}
  void Add(const passwd& entry) {
    if (!entry.pw_name || static_cast<long>(entry.pw_uid) < uidMin_) return;
    const std::string name = entry.pw_name;
    if (name == "nobody" || !seen_.insert(name).second) return;
    accounts_.push_back({name, FullNameOfGecos(entry.pw_gecos ? entry.pw_gecos : "", name)});
  }
  std::vector<LocalAccount> Accounts() { return std::move(accounts_); }

 private:
  long uidMin_;
  std::set<std::string> seen_;
  std::vector<LocalAccount> accounts_;
};

}  // namespace

long UidMinOfLoginDefs(std::string_view text) {
  long uidMin = kDefaultUidMin;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::string_view rest = Trim(line);
    if (rest.substr(0, 7) != "UID_MIN" || rest.size() < 8 || !IsBlank(rest[7])) continue;
    long value;
    if (ParseDecimal(Trim(rest.substr(7)), &value))
      uidMin = value;
    else
      uidMin = kDefaultUidMin;
  }
  return uidMin;
}

std::string FullNameOfGecos(std::string_view gecos, std::string_view login) {
  const std::string_view field = gecos.substr(0, gecos.find(','));
  std::string fullName;
  for (char c : field) {
    if (c != '&') {
      fullName += c;
      continue;
    }
    std::string name(login);
    if (!name.empty()) name[0] = static_cast<char>(toupper(static_cast<unsigned char>(name[0])));
    fullName += name;
  }
  return fullName;
}

std::vector<LocalAccount> ReadLocalAccounts() {
  std::ifstream defs(kLoginDefs, std::ios::binary);
  std::ostringstream text;
  text << defs.rdbuf();
  AccountCollector collector(UidMinOfLoginDefs(text.str()));

  const char* file = getenv("ORN_ADS_PASSWD_FILE");
  if (file && *file) {
    if (FILE* in = fopen(file, "re")) {
      while (const passwd* entry = fgetpwent(in)) collector.Add(*entry);
      fclose(in);
    }
  } else {
    setpwent();
    while (const passwd* entry = getpwent()) collector.Add(*entry);
    endpwent();
  }
  return collector.Accounts();
}

bool IsLocalComputerName(std::string_view name) {
  if (name == ".") return true;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return false;
  const std::string_view full(host);
  return !name.empty() && (EqualIgnoringCase(name, full) || EqualIgnoringCase(name, full.substr(0, full.find('.'))));
}

}  // namespace ads
