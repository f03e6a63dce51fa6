// The conversions and checks the server's configuration goes through before it is saved. They work
// on the library's working record TILOCONF_config; a null part passes. A negative result means a
// configuration the server could not run with (each value is listed in docs/orn-cfg-format.md).
// Nothing that merging valid files or adding users can produce fails them: users are not checked
// at all (empty and repeated names occur), nor are address texts (empty ones occur) or owners
// (they need not name users).
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>

#include "tiloconf/ConfigText.h"
#include "tiloconf/tiloconf.h"

namespace {

constexpr intptr_t kDefaultProxyPort = 8080;
constexpr intptr_t kDefaultPop3Port = 110;
constexpr intptr_t kDefaultSmtpPort = 25;
constexpr intptr_t kDefaultPollMinutes = 15;

// 0 stands for the default port and is accepted.
bool IsPort(intptr_t port) { return port >= 0 && port <= 65535; }

bool IsEmpty(const char* text) { return !text || !*text; }

// Removes null and repeated (compared exactly) owner names, keeping the first of each.
void CollapseOwners(stringlist*& owners) {
  std::unordered_set<std::string_view> seen;
  for (stringlist** link = &owners; *link;) {
    stringlist* node = *link;
    if (node->string && seen.insert(node->string).second) {
      link = &node->next;
    } else {
      *link = node->next;
      node->next = nullptr;
      stringlist_free(node);
    }
  }
}

}  // namespace

extern "C" {

int convert_inetconfig(void) {
  TILOCONF_inetpart* inet = TILOCONF_config.inet;
  if (!inet) return 0;
  if (inet->proxyport == 0) inet->proxyport = kDefaultProxyPort;
  if (inet->idletimeout < 0) inet->idletimeout = 0;
  return 0;
}

int convert_mailconfig(int /*flags*/) {
  TILOCONF_mailpart* mail = TILOCONF_config.mail;
  if (!mail) return 0;
  if (mail->smtpport == 0) mail->smtpport = kDefaultSmtpPort;
  if (mail->pollinterval == 0) mail->pollinterval = kDefaultPollMinutes;
  for (TILOCONF_mailaccount* account = mail->accounts; account; account = account->next)
    if (account->port == 0) account->port = kDefaultPop3Port;
  try {
    for (TILOCONF_emailaddress* address = mail->addresses; address; address = address->next) {
      if (address->kind == 0) address->kind = TILOCONF_ADDR_MAILBOX;
      CollapseOwners(address->owners);
    }
  } catch (const std::bad_alloc&) {
    return -6;
  }
  return 0;
}

int check_inetconfig(int /*flags*/) {
  const TILOCONF_inetpart* inet = TILOCONF_config.inet;
  if (!inet) return 0;
  try {
    std::unordered_set<std::string> names;
    for (const TILOCONF_provider* provider = inet->providers; provider; provider = provider->next) {
      if (IsEmpty(provider->name)) return -1;
      if (!names.insert(orn::tiloconf::AsciiLower(provider->name)).second) return -2;
    }
    if (!IsEmpty(inet->defaultprovider) && !names.contains(orn::tiloconf::AsciiLower(inet->defaultprovider))) return -3;
  } catch (const std::bad_alloc&) {
    return -6;
  }
  if (!IsPort(inet->proxyport)) return -4;
  if (inet->idletimeout < 0) return -5;
  return 0;
}

int check_mailconfig(int /*flags*/) {
  const TILOCONF_mailpart* mail = TILOCONF_config.mail;
  if (!mail) return 0;
  for (const TILOCONF_emailaddress* address = mail->addresses; address; address = address->next)
    if (address->kind < TILOCONF_ADDR_MAILBOX || address->kind > TILOCONF_ADDR_CATCHALL) return -1;
  for (const TILOCONF_mailaccount* account = mail->accounts; account; account = account->next) {
    if (IsEmpty(account->server)) return -2;
    if (!IsPort(account->port)) return -3;
  }
  if (!IsPort(mail->smtpport)) return -4;
  if (mail->pollinterval < 0) return -5;
  return 0;
}

}  // extern "C"
