#include "ads/LdapEntry.h"

#include <strings.h>

#include "ads/AdsStrings.h"

namespace ads {

const std::vector<std::string>* LdapEntry::Find(std::string_view name) const {
  for (const auto& [attribute, values] : attributes)
    if (attribute.size() == name.size() && strncasecmp(attribute.data(), name.data(), name.size()) == 0) return &values;
  return nullptr;
}

char** EntryAttributes() {
  static char all[] = "*";
  static char structural[] = "structuralObjectClass";
  static char* attributes[] = {all, structural, nullptr};
  return attributes;
}

LdapEntry ReadLdapEntry(LDAP* ld, LDAPMessage* message) {
  LdapEntry entry;
  if (char* dn = ldap_get_dn(ld, message)) {
    entry.dn = dn;
    ldap_memfree(dn);
  }
  BerElement* cursor = nullptr;
  for (char* name = ldap_first_attribute(ld, message, &cursor); name; name = ldap_next_attribute(ld, message, cursor)) {
    std::vector<std::string> texts;
    if (berval** values = ldap_get_values_len(ld, message, name)) {
      for (size_t i = 0; values[i]; ++i) texts.emplace_back(values[i]->bv_val, values[i]->bv_len);
      ldap_value_free_len(values);
    }
    entry.attributes.emplace_back(name, std::move(texts));
    ldap_memfree(name);
  }
  if (cursor) ber_free(cursor, 0);
  entry.objectClass = ClassOfEntry(entry);
  return entry;
}

std::string ClassOfEntry(const LdapEntry& entry) {
  const std::vector<std::string>* structural = entry.Find("structuralObjectClass");
  if (structural && !structural->empty()) return structural->front();
  const std::vector<std::string>* classes = entry.Find("objectClass");
  if (classes && !classes->empty()) return classes->back();
  return "";
}

HRESULT AttributeText(const LdapEntry& entry, std::string_view name, std::string* text) {
  const std::vector<std::string>* values = entry.Find(name);
  if (!values || values->empty()) return E_ADS_PROPERTY_NOT_FOUND;
  const std::string& first = values->front();
  if (first.find('\0') != std::string::npos || !IsUtf8(first)) return E_ADS_CANT_CONVERT_DATATYPE;
  *text = first;
  return S_OK;
}

}  // namespace ads
