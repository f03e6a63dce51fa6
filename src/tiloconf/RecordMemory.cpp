#include "tiloconf/RecordMemory.h"

#include <cstdlib>
#include <cstring>

namespace orn::tiloconf {

void FreeEntry(TILOCONF_provider* entry) {
  free(entry->name);
  free(entry->login);
  free(entry->password);
  free(entry->dialin);
  free(entry);
}

void FreeEntry(TILOCONF_mailaccount* entry) {
  free(entry->server);
  free(entry->login);
  free(entry->password);
  free(entry->password2);
  free(entry->recipient);
  free(entry);
}

void FreeEntry(TILOCONF_emailaddress* entry) {
  free(entry->address);
  stringlist_free(entry->owners);
  free(entry);
}

void FreeEntry(TILOCONF_user* entry) {
  free(entry->fullname);
  free(entry->name);
  free(entry->password);
  free(entry->email);
  free(entry);
}

void FreeEntry(TILOCONF_section* entry) {
  free(entry->name);
  free(entry->text);
  free(entry);
}

void FreePart(TILOCONF_general* part) {
  if (!part) return;
  free(part->servername);
  free(part->domain);
  free(part->postmaster);
  free(part->language);
  free(part);
}

void FreePart(TILOCONF_inetpart* part) {
  if (!part) return;
  FreeList(part->providers);
  free(part->defaultprovider);
  free(part);
}

void FreePart(TILOCONF_mailpart* part) {
  if (!part) return;
  FreeList(part->accounts);
  FreeList(part->addresses);
  free(part->smtprelay);
  free(part);
}

void FreePart(TILOCONF_userpart* part) {
  if (!part) return;
  FreeList(part->users);
  free(part);
}

void FreeRecord(ConfigRecord* record) {
  if (!record) return;
  FreePart(record->general);
  FreePart(record->inet);
  FreePart(record->mail);
  FreePart(record->users);
  FreeList(record->sections);
  memset(record, 0, sizeof *record);
}

}  // namespace orn::tiloconf
