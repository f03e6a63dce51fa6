#include "tiloconf/TiloconfTestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orn::test {

char* Dup(const std::optional<std::string>& text) { return text ? strdup(text->c_str()) : nullptr; }

namespace {

void Text(std::string& out, const char* label, const char* text) {
  out += label;
  out += '=';
  if (!text) {
    out += "<null>\n";
    return;
  }
  out += '"';
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < 0x20 || *p > 0x7E || *p == '\\') {
      char buffer[8];
      snprintf(buffer, sizeof buffer, "\\x%02X", *p);
      out += buffer;
    } else {
      out += static_cast<char>(*p);
    }
  }
  out += "\"\n";
}

void Number(std::string& out, const char* label, intptr_t value) {
  out += label;
  out += '=';
  out += std::to_string(value);
  out += '\n';
}

}  // namespace

TILOCONF_user* FindUser(const ConfigRecord* record, const char* name) {
  if (!record->users) return nullptr;
  for (TILOCONF_user* user = record->users->users; user; user = user->next)
    if (user->name && strcmp(user->name, name) == 0) return user;
  return nullptr;
}

size_t CountUsers(const ConfigRecord* record) {
  size_t count = 0;
  if (record->users)
    for (TILOCONF_user* user = record->users->users; user; user = user->next) ++count;
  return count;
}

size_t CountAddresses(const ConfigRecord* record) {
  size_t count = 0;
  if (record->mail)
    for (auto* address = record->mail->addresses; address; address = address->next) ++count;
  return count;
}

std::string Describe(const ConfigRecord& record) {
  std::string out;
  if (const TILOCONF_general* g = record.general) {
    out += "general\n";
    Text(out, " servername", g->servername);
    Text(out, " domain", g->domain);
    Number(out, " configured", g->configured);
    Text(out, " postmaster", g->postmaster);
    Text(out, " language", g->language);
  }
  if (const TILOCONF_inetpart* inet = record.inet) {
    out += "inet\n";
    Text(out, " defaultprovider", inet->defaultprovider);
    Number(out, " idletimeout", inet->idletimeout);
    Number(out, " proxyport", inet->proxyport);
    for (const TILOCONF_provider* p = inet->providers; p; p = p->next) {
      out += " provider\n";
      Text(out, "  name", p->name);
      Text(out, "  login", p->login);
      Text(out, "  password", p->password);
      Text(out, "  dialin", p->dialin);
    }
  }
  if (const TILOCONF_mailpart* mail = record.mail) {
    out += "mail\n";
    Text(out, " smtprelay", mail->smtprelay);
    Number(out, " smtpport", mail->smtpport);
    Number(out, " pollinterval", mail->pollinterval);
    for (const TILOCONF_mailaccount* a = mail->accounts; a; a = a->next) {
      out += " account\n";
      Text(out, "  server", a->server);
      Text(out, "  login", a->login);
      Text(out, "  password", a->password);
      Text(out, "  password2", a->password2);
      Text(out, "  recipient", a->recipient);
      Number(out, "  port", a->port);
    }
    for (const TILOCONF_emailaddress* a = mail->addresses; a; a = a->next) {
      out += " address\n";
      Number(out, "  kind", a->kind);
      Text(out, "  address", a->address);
      for (const stringlist* o = a->owners; o; o = o->next) Text(out, "  owner", o->string);
    }
  }
  if (const TILOCONF_userpart* users = record.users) {
    out += "users\n";
    for (const TILOCONF_user* u = users->users; u; u = u->next) {
      out += " user\n";
      Text(out, "  fullname", u->fullname);
      Text(out, "  name", u->name);
      Text(out, "  password", u->password);
      Text(out, "  email", u->email);
      Number(out, "  rights", u->rights);
    }
  }
  for (const TILOCONF_section* s = record.sections; s; s = s->next) {
    out += "section\n";
    Text(out, " name", s->name);
    Text(out, " text", s->text);
  }
  return out;
}

void FillFullRecord(ConfigRecord* r) {
  TILOCONF_general* g = SetGeneral(r, "gate.example.org", 1);
  g->domain = strdup("example.org");
  g->postmaster = strdup("");  // empty, not null
  g->language = strdup("de");

  TILOCONF_provider* p = AddProvider(r, "T-Online", "pa\\ss=word\n");
  p->login = strdup("0001234#0001@t-online.de");
  p->dialin = strdup("0191011");
  AddProvider(r, "Backup ISP", "");  // no login, no dialin
  r->inet->defaultprovider = strdup("T-Online");
  r->inet->idletimeout = 300;
  r->inet->proxyport = -1;

  TILOCONF_mailaccount* a = AddAccount(r, "pop.example.net", "info", "geheim", nullptr);
  a->recipient = strdup("info");
  a->port = 995;
  AddAccount(r, "pop.example.net", "büro", "\x01\x7f\xff", "");  // second password empty, not null
  r->mail->smtprelay = strdup("smtp.example.net");
  r->mail->smtpport = 587;
  r->mail->pollinterval = INTPTR_MAX;

  AddAddress(r, TILOCONF_ADDR_LIST, "team@example.org", {"zoe", "anna", "zoe", "Björn"});
  AddAddress(r, TILOCONF_ADDR_MAILBOX, "", {});  // empty text, no owners
  AddAddress(r, INTPTR_MIN, nullptr, {""});

  TILOCONF_user* u = AddUser(r, "anna", "Äpfel \t\r\n\\x41", "anna@example.org");
  u->fullname = strdup("Anna Müller [Vertrieb] # = 100%");
  u->rights = TILOCONF_RIGHT_INTERNET | TILOCONF_RIGHT_MAIL;
  AddUser(r, "", nullptr, "");
  AddUser(r, nullptr, "", nullptr);

  AddSection(r, "firewall", "allow tcp 25\nallow tcp 110\r\n\n");
  AddSection(r, "DNS", "no line end at the end");
  // Broken UTF-8 (cut sequence, overlong form, surrogate, above U+10FFFF) beside a valid emoji.
  AddSection(r, "bytes",
             "\xc3\x28 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xf0\x9f\x98\x80 \xe2\x82");
  AddSection(r, "", "");
  AddSection(r, nullptr, nullptr);
}

HooksOff::HooksOff() {
  config_get_pwfuncs(&encrypt_, &decrypt_);
  config_set_pwfuncs(nullptr, nullptr);
}

HooksOff::~HooksOff() { config_set_pwfuncs(encrypt_, decrypt_); }

void WriteCodes(const std::string& hivePath, const std::optional<std::string>& cdKey,
                const std::optional<std::string>& oldCdKey) {
  std::vector<std::pair<std::string, std::string>> values;
  if (cdKey) values.emplace_back("CDKey", *cdKey);
  if (oldCdKey) values.emplace_back("OldCDKey", *oldCdKey);
  WriteInstallationHive(hivePath, values);
}

std::string SaveToText(const ConfigRecord& record, const std::string& path) {
  EXPECT_EQ(TILOCONF_varsave(path.c_str(), &record), 0);
  return ReadFile(path);
}

}  // namespace orn::test
