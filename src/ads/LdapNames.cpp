#include "ads/LdapNames.h"

#include <ldap.h>

#include <cctype>

namespace ads {

namespace {

// Owns a parsed DN.
class ParsedDn {
 public:
  explicit ParsedDn(std::string_view text) {
    const std::string copy(text);
    if (copy.find('\0') != std::string::npos) return;  // libldap reads up to the first NUL
    if (ldap_str2dn(copy.c_str(), &dn_, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
      dn_ = nullptr;
    else
      ok_ = true;
  }
  ~ParsedDn() {
    if (dn_) ldap_dnfree(dn_);
  }
  ParsedDn(const ParsedDn&) = delete;
  ParsedDn& operator=(const ParsedDn&) = delete;
  bool Ok() const { return ok_; }
  size_t Count() const {
    size_t n = 0;
    while (dn_ && dn_[n]) ++n;
    return n;
  }
  LDAPRDN Rdn(size_t i) const { return dn_[i]; }

 private:
  LDAPDN dn_ = nullptr;
  bool ok_ = false;
};

std::string_view View(const berval& value) { return std::string_view(value.bv_val, value.bv_len); }

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return out;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string Hex(unsigned char byte) {
  static const char digits[] = "0123456789ABCDEF";
  return {digits[byte >> 4], digits[byte & 15]};
}

std::string EscapeValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    const bool edge = (i == 0 && (c == ' ' || c == '#')) || (i + 1 == value.size() && c == ' ');
    if (c < 0x20 || c == 0x7F)
      out += "\\" + Hex(c);
    else if (edge || c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' || c == ';' || c == '=' ||
             c == '/')
      out += std::string("\\") + static_cast<char>(c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

std::string FormatRdn(LDAPRDN rdn) {
  std::string out;
  for (size_t i = 0; rdn[i]; ++i) {
    const LDAPAVA* ava = rdn[i];
    if (i) out += '+';
    out += Upper(View(ava->la_attr)) + '=';
    if (ava->la_flags & LDAP_AVA_BINARY) {
      out += '#';
      for (size_t k = 0; k < ava->la_value.bv_len; ++k) out += Hex(static_cast<unsigned char>(ava->la_value.bv_val[k]));
    } else {
      out += EscapeValue(View(ava->la_value));
    }
  }
  return out;
}

bool SameRdn(LDAPRDN a, LDAPRDN b) {
  size_t i = 0;
  for (; a[i] && b[i]; ++i) {
    if (!EqualIgnoringCase(View(a[i]->la_attr), View(b[i]->la_attr))) return false;
    if (!EqualIgnoringCase(View(a[i]->la_value), View(b[i]->la_value))) return false;
  }
  return !a[i] && !b[i];
}

}  // namespace

std::string RelativeName(std::string_view dn) {
  ParsedDn parsed(dn);
  if (parsed.Ok() && parsed.Count() > 0) return FormatRdn(parsed.Rdn(0));
  for (size_t i = 0; i < dn.size(); ++i) {
    if (dn[i] == '\\')
      ++i;
    else if (dn[i] == ',')
      return std::string(dn.substr(0, i));
  }
  return std::string(dn);
}

std::optional<std::string> SegmentsToDn(const std::vector<std::string>& segments) {
  std::string dn;
  for (const std::string& segment : segments) {
    ParsedDn parsed(segment);
    if (!parsed.Ok() || parsed.Count() == 0) return std::nullopt;
    dn = dn.empty() ? segment : segment + "," + dn;
  }
  return dn;
}

bool DnWithin(std::string_view dn, std::string_view suffix) {
  ParsedDn inner(dn), outer(suffix);
  if (!inner.Ok() || !outer.Ok()) return false;
  const size_t n = inner.Count(), m = outer.Count();
  if (m > n) return false;
  for (size_t k = 1; k <= m; ++k)
    if (!SameRdn(inner.Rdn(n - k), outer.Rdn(m - k))) return false;
  return true;
}

std::string DomainOfDn(std::string_view dn) {
  ParsedDn parsed(dn);
  if (!parsed.Ok()) return "";
  std::string domain;
  for (size_t i = 0; i < parsed.Count(); ++i) {
    for (size_t k = 0; parsed.Rdn(i)[k]; ++k) {
      const LDAPAVA* ava = parsed.Rdn(i)[k];
      const std::string_view type = View(ava->la_attr);
      if (!EqualIgnoringCase(type, "dc") && type != "0.9.2342.19200300.100.1.25") continue;
      if (ava->la_flags & LDAP_AVA_BINARY) continue;
      if (!domain.empty()) domain += '.';
      domain += View(ava->la_value);
    }
  }
  return domain;
}

}  // namespace ads
