// Builds configuration records for tests, with the allocation the library expects (calloc'ed
// entries, strdup'ed texts), and reads them back in a form that is easy to compare.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tiloconf/tiloconf.h"

namespace orn::test {

class RecordBuilder {
 public:
  explicit RecordBuilder(ConfigRecord* record) : r_(record) {
    r_->general = New<TILOCONF_general>();
    r_->general->configured = 1;
    r_->general->servername = strdup("gateway");
  }
  RecordBuilder& User(const char* name, const char* password, const char* email = nullptr,
                      const char* fullname = "") {
    if (!r_->users) r_->users = New<TILOCONF_userpart>();
    auto* user = New<TILOCONF_user>();
    user->name = strdup(name);
    user->fullname = strdup(fullname);
    user->password = strdup(password);
    if (email) user->email = strdup(email);
    Append(&r_->users->users, user);
    return *this;
  }
  RecordBuilder& Address(const char* text, std::vector<const char*> owners, intptr_t kind = TILOCONF_ADDR_MAILBOX) {
    Mail();
    auto* address = New<TILOCONF_emailaddress>();
    address->kind = kind;
    address->address = strdup(text);
    for (const char* owner : owners) stringlist_append_string(&address->owners, owner);
    Append(&r_->mail->addresses, address);
    return *this;
  }
  RecordBuilder& MailAccount(const char* server, const char* login, const char* password, const char* password2) {
    Mail();
    auto* account = New<TILOCONF_mailaccount>();
    account->server = strdup(server);
    account->login = strdup(login);
    account->password = strdup(password);
    if (password2) account->password2 = strdup(password2);
    account->port = 110;
    Append(&r_->mail->accounts, account);
    return *this;
  }
  RecordBuilder& Provider(const char* name, const char* password) {
    if (!r_->inet) {
      r_->inet = New<TILOCONF_inetpart>();
      r_->inet->proxyport = 8080;
    }
    auto* provider = New<TILOCONF_provider>();
    provider->name = strdup(name);
    provider->login = strdup("login");
    provider->password = strdup(password);
    provider->dialin = strdup("pppoe");
    Append(&r_->inet->providers, provider);
    return *this;
  }
  RecordBuilder& Section(const char* name, const char* text) {
    auto* section = New<TILOCONF_section>();
    section->name = strdup(name);
    section->text = strdup(text);
    Append(&r_->sections, section);
    return *this;
  }

 private:
  template <typename T>
  static T* New() {
    return static_cast<T*>(calloc(1, sizeof(T)));
  }
  template <typename T>
  static void Append(T** head, T* entry) {
    while (*head) head = &(*head)->next;
    *head = entry;
  }
  void Mail() {
    if (!r_->mail) {
      r_->mail = New<TILOCONF_mailpart>();
      r_->mail->smtpport = 25;
      r_->mail->pollinterval = 15;
    }
  }
  ConfigRecord* r_;
};

// "name:password:email" of each user, in list order.
inline std::vector<std::string> Users(const ConfigRecord* record) {
  std::vector<std::string> out;
  if (!record->users) return out;
  for (auto* u = record->users->users; u; u = u->next)
    out.push_back(std::string(u->name ? u->name : "") + ":" + (u->password ? u->password : "") + ":" +
                  (u->email ? u->email : ""));
  return out;
}

// "address=owner,owner" of each address, in list order.
inline std::vector<std::string> Addresses(const ConfigRecord* record) {
  std::vector<std::string> out;
  if (!record->mail) return out;
  for (auto* a = record->mail->addresses; a; a = a->next) {
    std::string line = std::string(a->address ? a->address : "") + "=";
    for (auto* o = a->owners; o; o = o->next) line += std::string(o->string) + (o->next ? "," : "");
    out.push_back(line);
  }
  return out;
}

inline std::vector<std::string> Sections(const ConfigRecord* record) {
  std::vector<std::string> out;
  for (auto* s = record->sections; s; s = s->next) out.push_back(std::string(s->name) + ":" + s->text);
  return out;
}

}  // namespace orn::test
