#include "ads/AdsPath.h"

#include <cctype>

namespace ads {

namespace {

constexpr std::string_view kLdapPrefix = "LDAP://";
constexpr std::string_view kWinNTPrefix = "WinNT://";

// Splits at every '/' that no backslash escapes; "\/" becomes '/', other escapes stay as written.
std::vector<std::string> SplitParts(std::string_view text) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      if (text[i + 1] != '/') parts.back() += c;
      parts.back() += text[++i];
    } else if (c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool IsHostName(std::string_view host) {
  if (host.empty()) return false;
  for (char c : host)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') return false;
  return true;
}

bool IsBracketedIpv6(std::string_view host) {
  if (host.size() < 3 || host.front() != '[' || host.back() != ']') return false;
  for (char c : host.substr(1, host.size() - 2))
    if (!isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  return true;
}

// "host", "host:port", "[v6]", "[v6]:port".
bool ParseServer(std::string_view text, AdsPath& path) {
  std::string_view host = text;
  const size_t colon = text.rfind(':');
  const size_t bracket = text.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    const std::string_view digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    int port = 0;
    for (char c : digits) {
      if (!isdigit(static_cast<unsigned char>(c))) return false;
      port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return false;
    path.port = port;
    host = text.substr(0, colon);
  }
  if (!IsHostName(host) && !IsBracketedIpv6(host)) return false;
  path.host = std::string(host);
  return true;
}

}  // namespace

std::optional<AdsPath> ParseAdsPath(std::string_view text) {
  AdsPath path;
  std::string_view rest;
  if (text.substr(0, kLdapPrefix.size()) == kLdapPrefix) {
    rest = text.substr(kLdapPrefix.size());
  } else if (text.substr(0, kWinNTPrefix.size()) == kWinNTPrefix) {
    path.provider = AdsPath::Provider::WinNT;
    rest = text.substr(kWinNTPrefix.size());
  } else {
    return std::nullopt;
  }
  if (rest.empty()) {
    if (path.provider == AdsPath::Provider::WinNT) return std::nullopt;
    return path;  // LDAP:// alone: the configured server's default naming context
  }
  std::vector<std::string> parts = SplitParts(rest);
  for (const std::string& part : parts)
    if (part.empty()) return std::nullopt;
  size_t first = 0;
  if (path.provider == AdsPath::Provider::WinNT) {
    path.host = parts[0];
    first = 1;
  } else if (parts[0].find('=') == std::string::npos) {
    if (!ParseServer(parts[0], path)) return std::nullopt;
    first = 1;
  }
  path.segments.assign(parts.begin() + static_cast<long>(first), parts.end());
  return path;
}

std::string FormatLdapPath(const AdsPath& server, std::string_view dn) {
  std::string text(kLdapPrefix);
  text += server.host;
  if (server.port) text += ":" + std::to_string(server.port);
  if (dn.empty()) return text;
  if (!server.host.empty()) text += '/';
  for (char c : dn) {
    if (c == '/') text += '\\';
    text += c;
  }
  return text;
}

}  // namespace ads
