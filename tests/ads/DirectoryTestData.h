// The test directory: a schema with the classes the imports look for, and an LDIF of more than
// 2,000 users in organisational units two levels deep, with the odd entries the walk must handle.
#pragma once

#include <string>
#include <vector>

namespace orn::test {

inline constexpr const char* kTestSuffix = "dc=orn-test,dc=de";

// Persons per folder.
inline constexpr int kSalesPersons = 800;
inline constexpr int kNorthPersons = 900;
inline constexpr int kBranchPersons = 400;
inline constexpr int kContacts = 10;

// Schema definitions (slapd.conf syntax) of the classes and attributes above the stock ones.
std::string TestSchema();

// The entries, suffix first. A reader account "cn=leser,<suffix>" has the password "lesen".
std::string TestLdif();

// The suffix entry and count persons (dominoPerson) in one organisational unit.
std::string PersonsLdif(int count);

// The user names the LDAP import must deliver, in walk order.
std::vector<std::string> ExpectedLdapUserNames();

}  // namespace orn::test
