// Small helpers shared by the user and directory tests: lists of users, their names, the text a
// call throws (the demo installation to import into is support/TestSupport.h's).
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "install/MessageError.h"
#include "support/TestSupport.h"
#include "users/ImportUser.h"

namespace orn::test {

inline ImportUser User(std::string name, std::string fullName = "", std::vector<std::string> emails = {}) {
  return ImportUser{std::move(name), std::move(fullName), std::move(emails)};
}

inline ImportUserList List(std::vector<ImportUser> users) {
  ImportUserList list;
  for (ImportUser& user : users) list.Append(std::move(user));
  return list;
}

inline std::vector<std::string> Names(const ImportUserList& users) {
  std::vector<std::string> names;
  for (const ImportUser& user : users) names.push_back(user.name);
  return names;
}

}  // namespace orn::test
