// Reading paths, distinguished names and ldap.conf.
#include <gtest/gtest.h>

#include "ads/AdsPath.h"
#include "ads/LdapConfig.h"
#include "ads/LdapNames.h"

namespace ads {
namespace {

TEST(AdsPathTest, ServersPortsAndTheServerlessForm) {
  using P = AdsPath::Provider;
  const struct {
    const char* text;
    P provider;
    const char* host;
    int port;
    std::vector<std::string> segments;
  } good[] = {{"LDAP://h.de:3890/OU=V,DC=x/OU=N", P::Ldap, "h.de", 3890, {"OU=V,DC=x", "OU=N"}},
              {"LDAP://[::1]:636", P::Ldap, "[::1]", 636, {}},
              {"LDAP://DC=x,DC=y", P::Ldap, "", 0, {"DC=x,DC=y"}},
              {"LDAP://", P::Ldap, "", 0, {}},
              {"WinNT://.", P::WinNT, ".", 0, {}}};
  for (const auto& c : good) {
    const auto path = ParseAdsPath(c.text);
    ASSERT_TRUE(path) << c.text;
    EXPECT_TRUE(path->provider == c.provider && path->host == c.host && path->port == c.port) << c.text;
    EXPECT_EQ(path->segments, c.segments) << c.text;
  }
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

}  // namespace
}  // namespace ads
