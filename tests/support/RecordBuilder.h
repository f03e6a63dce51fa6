// Builds configuration records for tests, with the allocation the library expects (calloc'ed
// entries, strdup'ed texts), and reads them back in a form that is easy to compare.
#pragma once

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tiloconf/tiloconf.h"

namespace orn::test {

// Appends a zero-filled entry (calloc'ed, as the library frees it) to a list.
template <class Entry>
Entry* AppendEntry(Entry** head) {
  auto* entry = static_cast<Entry*>(calloc(1, sizeof(Entry)));
  while (*head) head = &(*head)->next;
  *head = entry;
  return entry;
}

// strdup'ed copy; null stays null.
inline char* DupC(const char* text) { return text ? strdup(text) : nullptr; }

template <class Part>
Part* PartOf(Part** part) {
  if (!*part) *part = static_cast<Part*>(calloc(1, sizeof(Part)));
  return *part;
}

// Entries with the given texts (null allowed) and every other field zero.
inline TILOCONF_general* SetGeneral(ConfigRecord* record, const char* servername, intptr_t configured) {
  TILOCONF_general* general = PartOf(&record->general);
  free(general->servername);
  general->servername = DupC(servername);
  general->configured = configured;
  return general;
}
inline TILOCONF_provider* AddProvider(ConfigRecord* record, const char* name, const char* password) {
  auto* entry = AppendEntry(&PartOf(&record->inet)->providers);
  entry->name = DupC(name);
  entry->password = DupC(password);
  return entry;
}
inline TILOCONF_mailaccount* AddAccount(ConfigRecord* record, const char* server, const char* login,
                                        const char* password, const char* password2) {
  auto* entry = AppendEntry(&PartOf(&record->mail)->accounts);
  entry->server = DupC(server);
  entry->login = DupC(login);
  entry->password = DupC(password);
  entry->password2 = DupC(password2);
  return entry;
}
inline TILOCONF_emailaddress* AddAddress(ConfigRecord* record, intptr_t kind, const char* text,
                                         std::initializer_list<const char*> owners) {
  auto* entry = AppendEntry(&PartOf(&record->mail)->addresses);
  entry->kind = kind;
  entry->address = DupC(text);
  for (const char* owner : owners) stringlist_append_string(&entry->owners, owner);
  return entry;
}
inline TILOCONF_user* AddUser(ConfigRecord* record, const char* name, const char* password,
                              const char* email = nullptr) {
  auto* entry = AppendEntry(&PartOf(&record->users)->users);
  entry->name = DupC(name);
  entry->password = DupC(password);
  entry->email = DupC(email);
  return entry;
}
inline TILOCONF_section* AddSection(ConfigRecord* record, const char* name, const char* text) {
  auto* entry = AppendEntry(&record->sections);
  entry->name = DupC(name);
  entry->text = DupC(text);
  return entry;
}

// A record as the server writes it: a general part and, with each entry, the defaults of its part
// (POP3 port 110, proxy port 8080, SMTP port 25, polling every 15 minutes).
class RecordBuilder {
 public:
  explicit RecordBuilder(ConfigRecord* record) : r_(record) { SetGeneral(r_, "gateway", 1); }
  RecordBuilder& User(const char* name, const char* password, const char* email = nullptr, const char* fullname = "") {
    AddUser(r_, name, password, email)->fullname = strdup(fullname);
    return *this;
  }
  RecordBuilder& Address(const char* text, std::vector<const char*> owners, intptr_t kind = TILOCONF_ADDR_MAILBOX) {
    Mail();
    auto* address = AddAddress(r_, kind, text, {});
    for (const char* owner : owners) stringlist_append_string(&address->owners, owner);
    return *this;
  }
  RecordBuilder& MailAccount(const char* server, const char* login, const char* password, const char* password2) {
    Mail();
    AddAccount(r_, server, login, password, password2)->port = 110;
    return *this;
  }
  RecordBuilder& Provider(const char* name, const char* password) {
    if (!r_->inet) PartOf(&r_->inet)->proxyport = 8080;
    TILOCONF_provider* provider = AddProvider(r_, name, password);
    provider->login = strdup("login");
    provider->dialin = strdup("pppoe");
    return *this;
  }
  RecordBuilder& Section(const char* name, const char* text) {
    AddSection(r_, name, text);
    return *this;
  }

 private:
  void Mail() {
    if (!r_->mail) {
      PartOf(&r_->mail)->smtpport = 25;
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
