// Everything the directory module and the readers interpret from outside: ADsPaths, DNs from a
// server, DNS SRV answers, passwd GECOS fields, login.defs and ldap.conf texts, UTF-8 from either
// side, and a typed user selection. The first byte picks the reader; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ads/AdsPath.h"
#include "ads/AdsStrings.h"
#include "ads/DnsSrv.h"
#include "ads/LdapConfig.h"
#include "ads/LdapNames.h"
#include "ads/LocalAccounts.h"
#include "users/DirectorySelection.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

void Path(const std::string& text) {
  const auto path = ads::ParseAdsPath(text);
  if (!path || path->provider != ads::AdsPath::Provider::Ldap) return;
  const auto dn = ads::SegmentsToDn(path->segments);
  if (!dn || dn->empty()) return;
  // A path made from a parsed one names the same server and DN.
  const auto again = ads::ParseAdsPath(ads::FormatLdapPath(*path, *dn));
  Check(again && again->host == path->host && again->port == path->port);
  Check(ads::SegmentsToDn(again->segments) == dn);
}

void Name(const std::string& text) {
  const std::string rdn = ads::RelativeName(text);
  ads::DomainOfDn(text);
  if (ads::SegmentsToDn({text})) Check(ads::DnWithin(text, text));
  (void)rdn;
}

void Text(const std::string& text) {
  const std::u16string wide = ads::Utf8ToUtf16(text);
  const std::string back = ads::Utf16ToUtf8(wide);
  if (ads::IsUtf8(text)) Check(back == text);
  Check(ads::IsUtf8(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 7) {
    case 0:
      Path(text);
      break;
    case 1:
      Name(text);
      break;
    case 2:
      ads::ParseSrvAnswer(data + 1, size - 1);
      break;
    case 3:
      ads::FullNameOfGecos(text, text.substr(0, 8));
      ads::UidMinOfLoginDefs(text);
      break;
    case 4:
      ads::UriOfLdapConf(text);
      break;
    case 5:
      Text(text);
      break;
    case 6:
      orn::ParseUserSelection(text, 50);
      break;
  }
  return 0;
}
