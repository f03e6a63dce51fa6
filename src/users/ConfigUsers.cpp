#include "users/ConfigUsers.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <utility>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/ConfigHolder.h"
#include "install/MessageError.h"
#include "oskasys/oskasys.h"
#include "platform/AsciiCase.h"

namespace orn {

namespace {

constexpr const char* kOpeningFailed = "opening config file failed";

void LoadOrThrow(ConfigHolder& holder, const char* path) {
  try {
    holder.Load(path);
  } catch (...) {
    throw MessageError(kOpeningFailed);
  }
}

// Appends entries to a singly linked list whose last entry is kept.
template <typename Entry>
class ListTail {
 public:
  explicit ListTail(Entry** head) : link_(head) {
    while (*link_) link_ = &(*link_)->next;
  }
  void Append(Entry* entry) {
    *link_ = entry;
    link_ = &entry->next;
  }

 private:
  Entry** link_;
};

template <typename Part>
Part* EnsurePart(Part*& part) {
  if (!part) {
    part = static_cast<Part*>(calloc(1, sizeof(Part)));
    if (!part) throw std::bad_alloc();
  }
  return part;
}

// Builds one configuration user (and its address entry) from an import user.
class UserEntryBuilder {
 public:
  explicit UserEntryBuilder(const ImportUser& user) : user_(user) {}
  ~UserEntryBuilder() {
    if (entry_) {
      free(entry_->name);
      free(entry_->fullname);
      free(entry_->email);
      free(entry_);
    }
    if (address_) {
      free(address_->address);
      stringlist_free(address_->owners);
      free(address_);
    }
  }
  UserEntryBuilder(const UserEntryBuilder&) = delete;
  UserEntryBuilder& operator=(const UserEntryBuilder&) = delete;

  void Build() {
    entry_ = TILOCONF_user_alloc();
    if (!entry_) throw MessageError("TILOCONF_user_alloc() failed");
    std::string name = user_.name;
    CleanUserName(name);
    entry_->name = strdup(name.c_str());
    if (!entry_->name) throw MessageError("users name is null");
    if (!user_.fullName.empty() && !(entry_->fullname = strdup(user_.fullName.c_str()))) throw std::bad_alloc();
    if (user_.emails.empty()) return;
    const std::string& primary = user_.emails.front();
    if (!(entry_->email = strdup(primary.c_str()))) throw std::bad_alloc();
    address_ = TILOCONF_emailaddress_alloc();
    if (!address_) throw MessageError("TILOCONF_emailaddress_alloc() failed");
    address_->kind = TILOCONF_ADDR_MAILBOX;
    if (stringlist_append_string(&address_->owners, entry_->name) != 0) throw std::bad_alloc();
    if (!(address_->address = strdup(primary.c_str()))) throw std::bad_alloc();
  }
  // Hands the entries over to the configuration's lists.
  TILOCONF_user* TakeUser() { return std::exchange(entry_, nullptr); }
  TILOCONF_emailaddress* TakeAddress() { return std::exchange(address_, nullptr); }

 private:
  const ImportUser& user_;
  TILOCONF_user* entry_ = nullptr;
  TILOCONF_emailaddress* address_ = nullptr;
};

}  // namespace

void CleanUserName(std::string& name) {
  std::erase_if(name, [](char c) {
    const bool keep =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    return !keep;
  });
}

ImportUserList ReadUsers(const char* configPath) {
  ConfigHolder holder(true);
  LoadOrThrow(holder, configPath);
  const ConfigRecord* record = holder.Record();

  // Each owner's addresses in list order, found once instead of searching the list per user. An
  // address that names the same owner twice counts once, as a membership test would.
  std::unordered_map<std::string_view, std::vector<const TILOCONF_emailaddress*>> owned;
  if (record->mail) {
    size_t addresses = 0;
    for (const TILOCONF_emailaddress* a = record->mail->addresses; a; a = a->next) ++addresses;
    owned.reserve(addresses);
    for (const TILOCONF_emailaddress* address = record->mail->addresses; address; address = address->next) {
      for (const stringlist* owner = address->owners; owner; owner = owner->next) {
        if (!owner->string) continue;
        auto& list = owned[owner->string];
        if (list.empty() || list.back() != address) list.push_back(address);
      }
    }
  }

  ImportUserList users;
  if (!record->users) return users;
  for (const TILOCONF_user* entry = record->users->users; entry; entry = entry->next) {
    ImportUser user;
    if (entry->name) user.name = entry->name;
    if (entry->fullname) user.fullName = entry->fullname;
    if (entry->name) {
      auto found = owned.find(entry->name);
      if (found != owned.end())
        for (const TILOCONF_emailaddress* address : found->second)
          user.emails.emplace_back(address->address ? address->address : "");
    }
    users.Append(std::move(user));
  }
  return users;
}

int AddUsers(const char* configPath, const ImportUserList& users, AddUsersReport* report) {
  ConfigHolder holder(true);
  LoadOrThrow(holder, configPath);
  ConfigRecord* record = holder.Record();
  if (!record) throw MessageError("config is null");

  AddUsersReport counts;
  try {
    // The names already present, folded, so that finding one costs the same for any list size.
    // Users added below join it under their stored (cleaned) name.
    std::unordered_set<std::string> present;
    present.reserve(users.Count());
    if (record->users)
      for (const TILOCONF_user* entry = record->users->users; entry; entry = entry->next)
        if (entry->name) present.insert(AsciiLower(entry->name));

    ListTail<TILOCONF_user> userTail(&EnsurePart(record->users)->users);
    std::optional<ListTail<TILOCONF_emailaddress>> addressTail;
    for (const ImportUser& user : users) {
      if (present.count(AsciiLower(user.name))) {
        ++counts.skipped;
        continue;
      }
      UserEntryBuilder builder(user);
      builder.Build();
      if (TILOCONF_emailaddress* address = builder.TakeAddress()) {
        if (!addressTail) addressTail.emplace(&EnsurePart(record->mail)->addresses);
        addressTail->Append(address);
      }
      TILOCONF_user* entry = builder.TakeUser();
      present.insert(AsciiLower(entry->name));
      userTail.Append(entry);
      ++counts.added;
    }
  } catch (const MessageError&) {
    throw;
  } catch (...) {
    throw MessageError("importing users failed");
  }

  try {
    holder.Save(configPath, true);
  } catch (...) {
    throw MessageError("saving config failed");
  }
  if (report) *report = counts;
  return 0;
}

}  // namespace orn
