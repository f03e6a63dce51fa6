// Reading paths and distinguished names, and texts across the module boundary.
#include <gtest/gtest.h>

#include "ads/AdsPath.h"
#include "ads/AdsStrings.h"
#include "ads/LdapConfig.h"
#include "ads/LdapNames.h"

namespace ads {
namespace {

TEST(AdsPathTest, ServersPortsAndTheServerlessForm) {
  auto path = ParseAdsPath("LDAP://ldap.firma.de:3890/OU=Vertrieb,DC=firma/OU=Nord");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->host, "ldap.firma.de");
  EXPECT_EQ(path->port, 3890);
  EXPECT_EQ(path->segments, (std::vector<std::string>{"OU=Vertrieb,DC=firma", "OU=Nord"}));

  path = ParseAdsPath("LDAP://[::1]:636");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->host, "[::1]");
  EXPECT_EQ(path->port, 636);

  path = ParseAdsPath("LDAP://DC=x,DC=y");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->host, "");
  EXPECT_EQ(path->segments, std::vector<std::string>{"DC=x,DC=y"});
  EXPECT_TRUE(ParseAdsPath("LDAP://"));

  path = ParseAdsPath("WinNT://.");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->provider, AdsPath::Provider::WinNT);
  EXPECT_EQ(path->host, ".");

  for (const char* bad : {"ldap://host", "LDAP:/host", "LDAP://host:0", "LDAP://host:65536",
                          "LDAP://host:", "LDAP://a b", "LDAP://host//OU=x", "LDAP://host/", "LDAP://ho\"st",
                          "LDAP://[::1", "LDAP://x ldap://y", "WinNT://", "winnt://."})
    EXPECT_FALSE(ParseAdsPath(bad)) << bad;
}

TEST(AdsPathTest, SlashesInsideNamesRoundTripThroughThePath) {
  const AdsPath server = *ParseAdsPath("LDAP://srv");
  const std::string dn = "CN=A/B\\, C,OU=x\\\\";
  const std::string text = FormatLdapPath(server, dn);
  EXPECT_EQ(text, "LDAP://srv/CN=A\\/B\\, C,OU=x\\\\");
  EXPECT_EQ(ParseAdsPath(text)->segments, std::vector<std::string>{dn});
  EXPECT_EQ(FormatLdapPath(AdsPath{}, "DC=x"), "LDAP://DC=x");
}

TEST(LdapNamesTest, RelativeNamesDnsOfSegmentsAndDomains) {
  EXPECT_EQ(RelativeName("cn=Hans Meier,ou=Vertrieb,dc=x"), "CN=Hans Meier");
  EXPECT_EQ(RelativeName("cn=Meier\\, Hans+uid=hm,dc=x"), "CN=Meier\\, Hans+UID=hm");
  EXPECT_EQ(RelativeName("cn=A/B,dc=x"), "CN=A\\/B");
  EXPECT_EQ(RelativeName("cn=J\\C3\\B6rg,dc=x"), "CN=Jörg");
  EXPECT_EQ(RelativeName("cn=#04024869,dc=x"), "CN=#04024869");
  EXPECT_EQ(RelativeName("not a dn,dc=x"), "not a dn");

  EXPECT_EQ(SegmentsToDn({"OU=a,DC=x", "OU=b", "CN=c"}), "CN=c,OU=b,OU=a,DC=x");
  EXPECT_EQ(SegmentsToDn({}), "");
  EXPECT_FALSE(SegmentsToDn({"OU=a", "no dn"}));

  EXPECT_TRUE(DnWithin("ou=Nord,OU=Vertrieb,dc=Firma,dc=de", "DC=firma, DC=de"));
  EXPECT_TRUE(DnWithin("dc=firma,dc=de", "dc=firma,dc=de"));
  EXPECT_FALSE(DnWithin("dc=de", "dc=firma,dc=de"));
  EXPECT_FALSE(DnWithin("ou=a,dc=firmb,dc=de", "dc=firma,dc=de"));

  EXPECT_EQ(DomainOfDn("OU=a,DC=firma,dc=example,DC=de"), "firma.example.de");
  EXPECT_EQ(DomainOfDn("O=Firma"), "");
}

TEST(LdapConfigTest, TheUriLineOfLdapConf) {
  EXPECT_EQ(UriOfLdapConf("# URI ldap://commented\nBASE dc=x\n  uri\tldap://a ldaps://b:636  \r\nURI ldap://second\n"),
            "ldap://a ldaps://b:636");
  EXPECT_EQ(UriOfLdapConf("URIS ldap://x\nURI\n"), "");
}

TEST(AdsStringsTest, Utf8AndUtf16ConvertBothWaysAndMarkWhatIsNoText) {
  const std::string text = "Jörg € 𝄞";
  EXPECT_EQ(Utf8ToUtf16(text), u"Jörg € 𝄞");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xC3(b\xED\xA0\x80"), u"a\uFFFD(b\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");
  EXPECT_FALSE(IsUtf8("\xC0\x80"));  // overlong
  EXPECT_TRUE(IsUtf8(text));

  BSTR copy = AllocBstr(text);
  EXPECT_EQ(SysStringLen(copy), Utf8ToUtf16(text).size());
  EXPECT_EQ(BstrToUtf8(copy), text);
  SysFreeString(copy);
}

}  // namespace
}  // namespace ads
