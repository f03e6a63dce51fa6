// One directory entry as the LDAP provider keeps it: its DN, its class and its attribute values,
// read once from the search that found it.
#pragma once

#include <ldap.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/AdsApi.h"

namespace ads {

struct LdapEntry {
  std::string dn;
  std::string objectClass;  // most specific structural class
  std::vector<std::pair<std::string, std::vector<std::string>>> attributes;

  // The values of the attribute whose name equals name ignoring ASCII case; null when none.
  const std::vector<std::string>* Find(std::string_view name) const;
};

// The attributes every search asks for: the user attributes and the structural class.
char** EntryAttributes();

LdapEntry ReadLdapEntry(LDAP* ld, LDAPMessage* message);

// The class of an entry with these values: structuralObjectClass when the server gives it, else
// the last objectClass value (servers that list the classes from the most general on).
std::string ClassOfEntry(const LdapEntry& entry);

// The text Get hands out: the first value, when it is UTF-8 without NUL bytes.
HRESULT AttributeText(const LdapEntry& entry, std::string_view name, std::string* text);

}  // namespace ads
