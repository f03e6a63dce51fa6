#include "tiloconf/ConfigMerge.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tiloconf/ConfigText.h"
#include "tiloconf/RecordMemory.h"

namespace orn::tiloconf {

namespace {

// Identity of the entries: ASCII case is ignored, a null text counts as "".
std::string IdentityOf(const TILOCONF_provider* entry) { return AsciiLower(entry->name); }
std::string IdentityOf(const TILOCONF_mailaccount* entry) {
  return AsciiLower(entry->server) + '\0' + AsciiLower(entry->login);  // texts hold no NUL
}
std::string IdentityOf(const TILOCONF_emailaddress* entry) { return AsciiLower(entry->address); }
std::string IdentityOf(const TILOCONF_user* entry) { return AsciiLower(entry->name); }
std::string IdentityOf(const TILOCONF_section* entry) { return AsciiLower(entry->name); }

// Exchanges everything but the list links.
template <class Entry>
void SwapContent(Entry* a, Entry* b) {
  Entry* const nextA = a->next;
  Entry* const nextB = b->next;
  std::swap(*a, *b);
  a->next = nextA;
  b->next = nextB;
}

// Merges one list in two steps: Plan decides for each entry of the file what becomes of it and may
// allocate; Apply carries that out and allocates nothing.
template <class Entry>
class ListMerge {
 public:
  void Plan(Entry* target, Entry* source) {
    std::unordered_map<std::string, Entry*> known;
    for (Entry* entry = target; entry; entry = entry->next) known.try_emplace(IdentityOf(entry), entry);
    // Entries taken from the file are known as well, so that a name the file holds twice is
    // taken once.
    for (Entry* entry = source; entry; entry = entry->next) {
      auto [it, added] = known.try_emplace(IdentityOf(entry), entry);
      steps_.push_back({entry, added ? nullptr : it->second});
    }
  }

  void Apply(Entry*& target, Entry*& source, bool overwrite) {
    Entry** tail = &target;
    while (*tail) tail = &(*tail)->next;
    source = nullptr;  // every entry is appended or released below
    for (auto [entry, match] : steps_) {
      entry->next = nullptr;
      if (!match) {
        *tail = entry;
        tail = &entry->next;
      } else {
        if (overwrite) SwapContent(match, entry);  // the entry keeps its place in the list
        FreeEntry(entry);
      }
    }
  }

 private:
  struct Step {
    Entry* entry;  // from the file
    Entry* match;  // the entry of the same identity already there, or null
  };
  std::vector<Step> steps_;
};

// Settings: merge fills what the record leaves unset (null or empty text, zero number); overwrite
// takes what the file sets.
void TakeText(char*& mine, char*& theirs, bool overwrite) {
  const bool take = overwrite ? theirs && *theirs : theirs && (!mine || !*mine);
  if (take) std::swap(mine, theirs);
}

void TakeNumber(intptr_t& mine, intptr_t theirs, bool overwrite) {
  if (overwrite ? theirs != 0 : mine == 0) mine = theirs;
}

}  // namespace

void MergeRecord(ConfigRecord& target, ConfigRecord& source, bool overwrite) {
  // A part only one side has needs no merging: the record keeps its own or adopts the file's.
  const bool inet = target.inet && source.inet;
  const bool mail = target.mail && source.mail;
  const bool users = target.users && source.users;

  ListMerge<TILOCONF_provider> providers;
  ListMerge<TILOCONF_mailaccount> accounts;
  ListMerge<TILOCONF_emailaddress> addresses;
  ListMerge<TILOCONF_user> userList;
  ListMerge<TILOCONF_section> sections;
  if (inet) providers.Plan(target.inet->providers, source.inet->providers);
  if (mail) {
    accounts.Plan(target.mail->accounts, source.mail->accounts);
    addresses.Plan(target.mail->addresses, source.mail->addresses);
  }
  if (users) userList.Plan(target.users->users, source.users->users);
  sections.Plan(target.sections, source.sections);

  // From here on nothing allocates.
  if (!target.general) {
    std::swap(target.general, source.general);
  } else if (TILOCONF_general* theirs = source.general) {
    TILOCONF_general* mine = target.general;
    TakeText(mine->servername, theirs->servername, overwrite);
    TakeText(mine->domain, theirs->domain, overwrite);
    TakeNumber(mine->configured, theirs->configured, overwrite);
    TakeText(mine->postmaster, theirs->postmaster, overwrite);
    TakeText(mine->language, theirs->language, overwrite);
  }

  if (inet) {
    TakeText(target.inet->defaultprovider, source.inet->defaultprovider, overwrite);
    TakeNumber(target.inet->idletimeout, source.inet->idletimeout, overwrite);
    TakeNumber(target.inet->proxyport, source.inet->proxyport, overwrite);
    providers.Apply(target.inet->providers, source.inet->providers, overwrite);
  } else if (!target.inet) {
    std::swap(target.inet, source.inet);
  }

  if (mail) {
    TakeText(target.mail->smtprelay, source.mail->smtprelay, overwrite);
    TakeNumber(target.mail->smtpport, source.mail->smtpport, overwrite);
    TakeNumber(target.mail->pollinterval, source.mail->pollinterval, overwrite);
    accounts.Apply(target.mail->accounts, source.mail->accounts, overwrite);
    addresses.Apply(target.mail->addresses, source.mail->addresses, overwrite);
  } else if (!target.mail) {
    std::swap(target.mail, source.mail);
  }

  if (users)
    userList.Apply(target.users->users, source.users->users, overwrite);
  else if (!target.users)
    std::swap(target.users, source.users);

  sections.Apply(target.sections, source.sections, overwrite);
}

}  // namespace orn::tiloconf
