// Small helpers shared by the user and directory tests: lists of users, their names, the text a
// call throws, and a demo installation to import into.
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

// Makes a fresh demo installation in folder and points ORN_REGISTRY, ORN_RUNTIME_DIR and TEMP at it.
inline bool UseDemoInstallation(const std::string& folder) {
  std::string exports;
  if (RunCommand(std::string(ORN_DEMO_BINARY) + " '" + folder + "'", &exports) != 0) return false;
  setenv("ORN_REGISTRY", (folder + "/registry.reg").c_str(), 1);
  setenv("ORN_RUNTIME_DIR", (folder + "/run").c_str(), 1);
  setenv("TEMP", (folder + "/tmp").c_str(), 1);
  return true;
}

}  // namespace orn::test
