// Helpers of the configuration library tests: records that release themselves, a field-by-field
// description for comparisons, and a hive holding product codes. Entries are built with the
// helpers of support/RecordBuilder.h.
#pragma once

#include <optional>
#include <string>

#include "support/RecordBuilder.h"
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
