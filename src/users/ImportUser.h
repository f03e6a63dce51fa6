// The user record that every user source produces and every user sink consumes: a login name, a
// full name and an ordered list of e-mail addresses.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orn {

struct ImportUser {
  std::string name;
  std::string fullName;
  std::vector<std::string> emails;  // ordered, may be empty, may hold duplicates
};

// Users in insertion order: appended at the tail, read from head to tail.
class ImportUserList {
 public:
  void Append(ImportUser user) { users_.push_back(std::move(user)); }
  size_t Count() const { return users_.size(); }
  bool Empty() const { return users_.empty(); }
  void Clear() { users_.clear(); }
  const ImportUser& operator[](size_t i) const { return users_[i]; }
  auto begin() const { return users_.begin(); }
  auto end() const { return users_.end(); }

 private:
  std::vector<ImportUser> users_;
};

}  // namespace orn
