// Small helpers shared by the user and directory tests: lists of users, their names, the text a
// call throws, and a demo installation to work on.
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

// A fresh demo installation in <scratch>/demo, with ORN_REGISTRY, ORN_RUNTIME_DIR and TEMP
// pointing into it.
class DemoTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    ASSERT_EQ(RunCommand(std::string(ORN_DEMO_BINARY) + " '" + demo_ + "' >/dev/null"), 0);
    setenv("ORN_REGISTRY", (demo_ + "/registry.reg").c_str(), 1);
    setenv("ORN_RUNTIME_DIR", (demo_ + "/run").c_str(), 1);
    setenv("TEMP", (demo_ + "/tmp").c_str(), 1);
  }
  std::string Installed() const { return demo_ + "/orn/orn.cfg"; }
  const std::string demo_ = Scratch() / "demo";
};

}  // namespace orn::test
