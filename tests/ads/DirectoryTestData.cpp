#include "DirectoryTestData.h"

namespace orn::test {

namespace {

std::string Entry(const std::string& rdn, const std::string& parent, const std::vector<std::string>& lines) {
  std::string text = "dn: " + rdn + "," + parent + "\n";
  for (const std::string& line : lines) text += line + "\n";
  return text + "\n";
}

std::string Number(int i) {
  std::string digits = std::to_string(i);
  return std::string(4 - digits.size(), '0') + digits;
}

// A person of the sales folders: every third without mail, every fifth with a FullName.
std::string Person(const std::string& prefix, int i, const std::string& parent) {
  const std::string sn = prefix + Number(i);
  std::vector<std::string> lines = {"objectClass: dominoPerson", "cn: " + prefix + " " + Number(i), "sn: " + sn};
  if (i % 3 != 0) lines.push_back("mail: " + sn + "@orn-test.de");
  if (i % 5 == 0) lines.push_back("FullName: Person " + Number(i) + " " + prefix);
  return Entry("cn=" + prefix + " " + Number(i), parent, lines);
}

const std::string kSales = std::string("ou=Vertrieb,") + kTestSuffix;
const std::string kNorth = "ou=Nord," + kSales;
const std::string kBranch = std::string("o=Filiale,") + kTestSuffix;

}  // namespace

std::string TestSchema() {
  return "attributetype ( 1.3.6.1.4.1.32473.7.1.1 NAME 'FullName' SUP name )\n"
         "attributetype ( 1.3.6.1.4.1.32473.7.1.2 NAME 'sAMAccountName' EQUALITY caseIgnoreMatch\n"
         "  SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.1 NAME 'dominoPerson' SUP inetOrgPerson STRUCTURAL MAY FullName )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.2 NAME 'dominoOrganization' SUP organization STRUCTURAL )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.3 NAME 'Contact' SUP top STRUCTURAL MUST cn\n"
         "  MAY ( sn $ mail $ FullName $ description ) )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.4 NAME 'computer' SUP device STRUCTURAL )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.5 NAME 'container' SUP top STRUCTURAL MUST cn )\n"
         "objectclass ( 1.3.6.1.4.1.32473.7.2.6 NAME 'user' SUP organizationalPerson STRUCTURAL\n"
         "  MAY ( sAMAccountName $ mail $ FullName ) )\n";
}

std::string TestLdif() {
  std::string ldif = std::string("dn: ") + kTestSuffix +
                     "\nobjectClass: dcObject\nobjectClass: organization\ndc: orn-test\no: ORN Test\n\n";
  ldif += Entry("cn=leser", kTestSuffix, {"objectClass: person", "cn: leser", "sn: leser", "userPassword: lesen"});
  ldif += Entry("cn=Anna Zentral", kTestSuffix,
                {"objectClass: dominoPerson", "cn: Anna Zentral", "sn: azentral", "FullName: Anna Zentral",
                 "mail: anna.zentral@orn-test.de", "mail: zentrale@orn-test.de"});
  ldif += Entry("ou=Vertrieb", kTestSuffix, {"objectClass: organizationalUnit", "ou: Vertrieb"});
  for (int i = 0; i < kSalesPersons; ++i) ldif += Person("vertrieb", i, kSales);
  ldif += Entry("ou=Nord", kSales, {"objectClass: organizationalUnit", "ou: Nord"});
  for (int i = 0; i < kNorthPersons; ++i) ldif += Person("nord", i, kNorth);
  // A contact without sn, FullName and mail: its names come from its RDN.
  ldif += Entry("cn=Hans Meier", kNorth, {"objectClass: Contact", "cn: Hans Meier"});
  for (int i = 0; i < kContacts; ++i)
    ldif += Entry("cn=Kontakt " + Number(i), kSales,
                  {"objectClass: Contact", "cn: Kontakt " + Number(i), "sn: kontakt" + Number(i),
                   "mail: kontakt" + Number(i) + "@partner.de"});
  ldif += Entry("cn=server01", kTestSuffix, {"objectClass: computer", "cn: server01"});
  ldif += Entry("cn=Archiv", kTestSuffix, {"objectClass: container", "cn: Archiv"});
  ldif += Entry("cn=Versteckt", "cn=Archiv," + std::string(kTestSuffix),
                {"objectClass: dominoPerson", "cn: Versteckt", "sn: versteckt"});
  ldif += Entry("o=Filiale", kTestSuffix, {"objectClass: dominoOrganization", "o: Filiale"});
  for (int i = 0; i < kBranchPersons; ++i) ldif += Person("filiale", i, kBranch);
  ldif += Entry("cn=Plain Person", kTestSuffix, {"objectClass: inetOrgPerson", "cn: Plain Person", "sn: plain"});
  // Named by uid, not cn; with an umlaut in its name and a photo that is no text.
  ldif += Entry("uid=jmueller", kTestSuffix,
                {"objectClass: dominoPerson", "uid: jmueller", "cn:: SsO2cmcgTcO8bGxlcg==", "sn:: TcO8bGxlcg==",
                 "jpegPhoto:: /9j/4AAQSkZJRgABAQ==", "mail: joerg.mueller@orn-test.de"});
  ldif += Entry("cn=Anna Mueller", kTestSuffix,
                {"objectClass: dominoPerson", "cn: Anna Mueller", "sn: AMUELLER", "mail: am@orn-test.de"});
  ldif += Entry("ou=Leer", kTestSuffix, {"objectClass: organizationalUnit", "ou: Leer"});
  for (const char* account : {"ckoch", "dlang"})
    ldif += Entry(std::string("cn=") + account, kTestSuffix,
                  {"objectClass: user", std::string("cn: ") + account, std::string("sn: ") + account,
                   std::string("sAMAccountName: ") + account, std::string("FullName: Konto ") + account});
  return ldif;
}

std::string PersonsLdif(int count) {
  std::string ldif = std::string("dn: ") + kTestSuffix +
                     "\nobjectClass: dcObject\nobjectClass: organization\ndc: orn-test\no: ORN Test\n\n";
  const std::string staff = std::string("ou=Personal,") + kTestSuffix;
  ldif += Entry("ou=Personal", kTestSuffix, {"objectClass: organizationalUnit", "ou: Personal"});
  for (int i = 0; i < count; ++i) ldif += Person("person", i, staff);
  return ldif;
}

std::vector<std::string> ExpectedLdapUserNames() {
  std::vector<std::string> names = {"azentral"};
  for (int i = 0; i < kSalesPersons; ++i) names.push_back("vertrieb" + Number(i));
  for (int i = 0; i < kNorthPersons; ++i) names.push_back("nord" + Number(i));
  names.push_back("HansMeier");
  for (int i = 0; i < kContacts; ++i) names.push_back("kontakt" + Number(i));
  for (int i = 0; i < kBranchPersons; ++i) names.push_back("filiale" + Number(i));
  names.push_back("Müller");
  names.push_back("AMUELLER");
  return names;
}

}  // namespace orn::test
