#include "config/ConfigSummary.h"

namespace orn {

namespace {
template <typename Entry>
size_t Count(const Entry* entry) {
  size_t n = 0;
  for (; entry; entry = entry->next) ++n;
  return n;
}
}  // namespace

ConfigSummary Summarize(const ConfigRecord* record) {
  ConfigSummary summary;
  if (!record) return summary;
  if (record->users) summary.users = Count(record->users->users);
  if (record->mail) {
    summary.addresses = Count(record->mail->addresses);
    summary.mailAccounts = Count(record->mail->accounts);
  }
  if (record->inet) summary.providers = Count(record->inet->providers);
  summary.sections = Count(record->sections);
  return summary;
}

}  // namespace orn
