// Helpers of the configuration library tests: records that release themselves, builders for their
// entries, a field-by-field description for comparisons, and a hive holding product codes.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "support/TestSupport.h"
#include "tiloconf/tiloconf.h"

namespace orn::test {

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

// malloc'ed copy, or null for std::nullopt.
char* Dup(const std::optional<std::string>& text);

TILOCONF_general* SetGeneral(ConfigRecord* record, const char* servername, intptr_t configured);
TILOCONF_provider* AddProvider(ConfigRecord* record, const char* name, const char* password);
TILOCONF_mailaccount* AddAccount(ConfigRecord* record, const char* server, const char* login,
                                 const char* password, const char* password2);
TILOCONF_emailaddress* AddAddress(ConfigRecord* record, intptr_t kind, const char* text,
                                  std::initializer_list<const char*> owners);
TILOCONF_user* AddUser(ConfigRecord* record, const char* name, const char* password,
                       const char* email = nullptr);
TILOCONF_section* AddSection(ConfigRecord* record, const char* name, const char* text);

TILOCONF_user* FindUser(const ConfigRecord* record, const char* name);  // exact name
size_t CountUsers(const ConfigRecord* record);
size_t CountAddresses(const ConfigRecord* record);

// Every field of the record, one per line, texts in quotes with bytes outside 0x20..0x7E as \xHH
// and null texts as <null>; two records are equal when their descriptions are.
std::string Describe(const ConfigRecord& record);

// A record that holds every kind of part and entry, with awkward texts.
void FillFullRecord(ConfigRecord* record);

// Switches the password hooks off for its lifetime and restores the previous ones.
class HooksOff {
 public:
  HooksOff();
  ~HooksOff();

 private:
  config_pwfunc encrypt_ = nullptr, decrypt_ = nullptr;
};

// Writes a hive with the installation key holding the given codes (an empty optional: no value).
void WriteCodes(const std::string& hivePath, const std::optional<std::string>& cdKey,
                const std::optional<std::string>& oldCdKey = std::nullopt);

// Saves with the hooks as they are; fails the test on a non-zero result.
std::string SaveToText(const ConfigRecord& record, const std::string& path);

}  // namespace orn::test
