// Configuration records for tests: built with the allocation the library expects (calloc'ed
// entries, strdup'ed texts), released by themselves, and read back in forms easy to compare.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TestSupport.h"
#include "tiloconf/tiloconf.h"

namespace orn::test {

// Appends a zero-filled entry (calloc'ed, as the library frees it) to a list.
template <class Entry>
Entry* AppendEntry(Entry** head) {
  while (*head) head = &(*head)->next;
  return *head = static_cast<Entry*>(calloc(1, sizeof(Entry)));
}
inline char* DupC(const char* text) { return text ? strdup(text) : nullptr; }  // null stays null
template <class Part>
Part* PartOf(Part** part) {
  return *part ? *part : (*part = static_cast<Part*>(calloc(1, sizeof(Part))));
}

// Entries with the given texts (null allowed) and every other field zero.
inline TILOCONF_general* SetGeneral(ConfigRecord* record, const char* servername, intptr_t configured) {
  TILOCONF_general* general = PartOf(&record->general);
  free(general->servername);
  general->servername = DupC(servername), general->configured = configured;
  return general;
}
inline TILOCONF_provider* AddProvider(ConfigRecord* record, const char* name, const char* password) {
  auto* entry = AppendEntry(&PartOf(&record->inet)->providers);
  entry->name = DupC(name), entry->password = DupC(password);
  return entry;
}
inline TILOCONF_mailaccount* AddAccount(ConfigRecord* record, const char* server, const char* login,
                                        const char* password, const char* password2) {
  auto* entry = AppendEntry(&PartOf(&record->mail)->accounts);
  entry->server = DupC(server), entry->login = DupC(login);
  entry->password = DupC(password), entry->password2 = DupC(password2);
  return entry;
}
inline TILOCONF_emailaddress* AddAddress(ConfigRecord* record, intptr_t kind, const char* text,
                                         const std::vector<const char*>& owners) {
  auto* entry = AppendEntry(&PartOf(&record->mail)->addresses);
  entry->kind = kind, entry->address = DupC(text);
  for (const char* owner : owners) stringlist_append_string(&entry->owners, owner);
  return entry;
}
inline TILOCONF_user* AddUser(ConfigRecord* record, const char* name, const char* password, const char* email = nullptr,
                              const char* fullname = nullptr) {
  auto* entry = AppendEntry(&PartOf(&record->users)->users);
  entry->name = DupC(name), entry->password = DupC(password);
  entry->email = DupC(email), entry->fullname = DupC(fullname);
  return entry;
}
inline TILOCONF_section* AddSection(ConfigRecord* record, const char* name, const char* text) {
  auto* entry = AppendEntry(&record->sections);
  entry->name = DupC(name), entry->text = DupC(text);
  return entry;
}

// A record with a general part, filled by chained calls.
class RecordBuilder {
 public:
  explicit RecordBuilder(ConfigRecord* record) : r_(record) { SetGeneral(r_, "gateway", 1); }
  RecordBuilder& User(const char* name, const char* password, const char* email = nullptr, const char* fullname = "") {
    return AddUser(r_, name, password, email, fullname), *this;
  }
  RecordBuilder& Address(const char* text, std::vector<const char*> owners) {
    return AddAddress(r_, TILOCONF_ADDR_MAILBOX, text, owners), *this;
  }
  RecordBuilder& Provider(const char* name, const char* password) { return AddProvider(r_, name, password), *this; }
  RecordBuilder& Section(const char* name, const char* text) { return AddSection(r_, name, text), *this; }

 private:
  ConfigRecord* r_;
};

// A zero-filled record released with TILOCONF_varfree.
struct Record {
  ConfigRecord r{};
  Record() = default;
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() { TILOCONF_varfree(&r); }
  ConfigRecord* operator->() { return &r; }
  ConfigRecord* get() { return &r; }
};

// "name:password:email" of each user, in list order.
inline std::vector<std::string> Users(const ConfigRecord* record) {
  std::vector<std::string> out;
  for (auto* u = record->users ? record->users->users : nullptr; u; u = u->next)
    out.push_back(std::string(u->name ? u->name : "") + ":" + (u->password ? u->password : "") + ":" +
                  (u->email ? u->email : ""));
  return out;
}

// "address=owner,owner" of each address, in list order.
inline std::vector<std::string> Addresses(const ConfigRecord* record) {
  std::vector<std::string> out;
  for (auto* a = record->mail ? record->mail->addresses : nullptr; a; a = a->next) {
    out.push_back(std::string(a->address ? a->address : "") + "=");
    for (auto* o = a->owners; o; o = o->next) out.back() += std::string(o->string) + (o->next ? "," : "");
  }
  return out;
}

// Every field of the record, one per line, texts in quotes with bytes outside 0x20..0x7E as \xHH
// and null texts as <null>; two records are equal when their descriptions are.
inline std::string Describe(const ConfigRecord& record) {
  std::string out;
  const auto text = [&out](const char* label, const char* value) {
    out += std::string(label) + (value ? "=\"" : "=<null>\n");
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value); value && *p; ++p) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += *p < 0x20 || *p > 0x7E || *p == '\\' ? std::string(hex) : std::string(1, static_cast<char>(*p));
    }
    if (value) out += "\"\n";
  };
  const auto number = [&out](const char* label, intptr_t value) {
    out += std::string(label) + "=" + std::to_string(value) + "\n";
  };
#define T(object, field) text(#field, (object)->field)
#define N(object, field) number(#field, (object)->field)
  // clang-format off
  if (auto* g = record.general) {
    out += "[general]\n"; T(g, servername); T(g, domain); N(g, configured); T(g, postmaster); T(g, language);
  }
  if (auto* inet = record.inet) {
    out += "[inet]\n"; T(inet, defaultprovider); N(inet, idletimeout); N(inet, proxyport);
    for (auto* p = inet->providers; p; p = p->next) {
      out += "[provider]\n"; T(p, name); T(p, login); T(p, password); T(p, dialin);
    }
  }
  if (auto* mail = record.mail) {
    out += "[mail]\n"; T(mail, smtprelay); N(mail, smtpport); N(mail, pollinterval);
    for (auto* a = mail->accounts; a; a = a->next) {
      out += "[account]\n"; T(a, server); T(a, login); T(a, password); T(a, password2); T(a, recipient); N(a, port);
    }
    for (auto* a = mail->addresses; a; a = a->next) {
      out += "[address]\n"; N(a, kind); T(a, address);
      for (const stringlist* o = a->owners; o; o = o->next) text("owner", o->string);
    }
  }
  for (auto* u = record.users ? record.users->users : nullptr; u; u = u->next) {
    out += "[user]\n"; T(u, fullname); T(u, name); T(u, password); T(u, email); N(u, rights);
  }
  if (record.users) out += "[users end]\n";
  for (auto* s = record.sections; s; s = s->next) { out += "[section]\n"; T(s, name); T(s, text); }
  // clang-format on
#undef T
#undef N
  return out;
}

// Switches the password hooks off for its lifetime and restores the previous ones.
class HooksOff {
 public:
  HooksOff() {
    config_get_pwfuncs(&encrypt_, &decrypt_);
    config_set_pwfuncs(nullptr, nullptr);
  }
  ~HooksOff() { config_set_pwfuncs(encrypt_, decrypt_); }

 private:
  config_pwfunc encrypt_ = nullptr, decrypt_ = nullptr;
};

// Writes a hive with the installation key holding the given codes (an empty optional: no value).
inline void WriteCodes(const std::string& hivePath, const std::optional<std::string>& cdKey,
                       const std::optional<std::string>& oldCdKey = std::nullopt) {
  std::vector<std::pair<std::string, std::string>> values;
  if (cdKey) values.emplace_back("CDKey", *cdKey);
  if (oldCdKey) values.emplace_back("OldCDKey", *oldCdKey);
  WriteInstallationHive(hivePath, values);
}

// Saves with the hooks as they are; fails the test on a non-zero result.
inline std::string SaveToText(const ConfigRecord& record, const std::string& path) {
  EXPECT_EQ(TILOCONF_varsave(path.c_str(), &record), 0);
  return ReadFile(path);
}

// A record that holds every kind of part and entry, with awkward texts.
inline void FillFullRecord(ConfigRecord* r) {
  TILOCONF_general* g = SetGeneral(r, "gate.example.org", 1);
  g->domain = strdup("example.org"), g->postmaster = strdup("") /* empty, not null */, g->language = strdup("de");

  TILOCONF_provider* p = AddProvider(r, "T-Online", "pa\\ss=word\n");
  p->login = strdup("0001234#0001@t-online.de"), p->dialin = strdup("0191011");
  AddProvider(r, "Backup ISP", "");  // no login, no dialin
  r->inet->defaultprovider = strdup("T-Online"), r->inet->idletimeout = 300, r->inet->proxyport = -1;

  TILOCONF_mailaccount* a = AddAccount(r, "pop.example.net", "info", "geheim", nullptr);
  a->recipient = strdup("info"), a->port = 995;
  AddAccount(r, "pop.example.net", "büro", "\x01\x7f\xff", "");  // second password empty, not null
  r->mail->smtprelay = strdup("smtp.example.net"), r->mail->smtpport = 587, r->mail->pollinterval = INTPTR_MAX;

  AddAddress(r, TILOCONF_ADDR_LIST, "team@example.org", {"zoe", "anna", "zoe", "Björn"});
  AddAddress(r, TILOCONF_ADDR_MAILBOX, "", {});  // empty text, no owners
  AddAddress(r, INTPTR_MIN, nullptr, {""});

  AddUser(r, "anna", "Äpfel \t\r\n\\x41", "anna@example.org", "Anna Müller [Vertrieb] # = 100%")->rights =
      TILOCONF_RIGHT_INTERNET | TILOCONF_RIGHT_MAIL;
  AddUser(r, "", nullptr, "");
  AddUser(r, nullptr, "", nullptr);

  AddSection(r, "firewall", "allow tcp 25\nallow tcp 110\r\n\n");
  AddSection(r, "DNS", "no line end at the end");
  // Broken UTF-8 (cut sequence, overlong form, surrogate, above U+10FFFF) beside a valid emoji.
  AddSection(r, "bytes", "\xc3\x28 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xf0\x9f\x98\x80 \xe2\x82");
  AddSection(r, "", "");
  AddSection(r, nullptr, nullptr);
}

}  // namespace orn::test
