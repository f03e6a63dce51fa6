// An in-process stand-in for libornads.so: containers by path, each with its children, served
// through the same four functions the module exports. A reference never released is a leak that
// the sanitizer build reports.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "users/DirectoryModule.h"

namespace orn::test {

struct FakeChild {
  std::string objectClass;
  std::string name;
  std::map<std::string, std::string> attributes;  // Get succeeds with these, fails for others
  bool offersIADs = true;
};

struct FakeContainer {
  std::vector<FakeChild> children;
  bool enumeratorFails = false;  // ADsBuildEnumerator fails
  int failAfter = -1;            // ADsEnumerateNext fails with the child of this index
};

class FakeDirectory {
 public:
  FakeDirectory();
  ~FakeDirectory();
  FakeContainer& operator[](const std::string& path) { return containers_[path]; }
  // A module whose functions serve this directory; missing lists functions left out.
  std::shared_ptr<const DirectoryModule> Module(const std::vector<std::string>& missing = {}) const;
  const std::vector<std::string>& BoundPaths() const { return bound_; }

  // Used by the fake functions.
  static FakeDirectory* Current();
  const FakeContainer* Find(const std::string& path);

 private:
  std::map<std::string, FakeContainer> containers_;
  std::vector<std::string> bound_;
};

}  // namespace orn::test
