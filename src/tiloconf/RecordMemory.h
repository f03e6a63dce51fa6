// Releasing the parts and entries of a ConfigRecord. Every text is malloc'ed and every entry and
// part calloc'ed, so that callers may replace texts with free()/strdup() and add entries of their
// own.
#pragma once

#include "tiloconf/tiloconf.h"

namespace orn::tiloconf {

// Release one entry: its texts (and owner list) and the entry itself, not the entries after it.
void FreeEntry(TILOCONF_provider* entry);
void FreeEntry(TILOCONF_mailaccount* entry);
void FreeEntry(TILOCONF_emailaddress* entry);
void FreeEntry(TILOCONF_user* entry);
void FreeEntry(TILOCONF_section* entry);

// Release a whole list, following the next pointers.
template <class Entry>
void FreeList(Entry* head) {
  while (head) {
    Entry* next = head->next;
    FreeEntry(head);
    head = next;
  }
}

void FreePart(TILOCONF_general* part);
void FreePart(TILOCONF_inetpart* part);
void FreePart(TILOCONF_mailpart* part);
void FreePart(TILOCONF_userpart* part);

// Releases the five fields the library knows and zero-fills the whole record. The reserved fields
// carry nothing of this library; whatever a caller put there is not touched, only forgotten.
void FreeRecord(ConfigRecord* record);

}  // namespace orn::tiloconf
