// Readers of users from a directory service through libornads.so: each binds one root object,
// walks its children (depth first through the container classes) and turns every child of a user
// class into an ImportUser. A reader lives for one read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "users/DirectoryModule.h"
#include "users/ImportUser.h"

namespace orn {

// How a walk ended: complete, or cut short by the directory (a size, time or administrative limit,
// a refused paged search) with the module's code and its explanation.
struct DirectoryReadStatus {
  bool complete = true;
  ads::HRESULT code = ads::S_OK;
  std::string reason;
};

class CDirectoryReader {
 public:
  // Loads the module; throws MessageError "loading libornads.so failed".
  CDirectoryReader();
  // Reads through the given module (for tests, or to load it once for several readers).
  explicit CDirectoryReader(std::shared_ptr<const DirectoryModule> module);

  // Appends the users in walk order. Throws MessageError "connection failed" when the root or a
  // container cannot be bound (the whole walk ends then), "<function> not found in libornads.so"
  // when the module lacks a function. A failed enumerator ends its container and marks the read
  // incomplete (ReadStatus); the walk goes on with the other containers.
  virtual void EnumerateUsers(ImportUserList& result);
  // How the last EnumerateUsers ended.
  const DirectoryReadStatus& ReadStatus() const { return status_; }
  virtual ~CDirectoryReader() = default;
  // The root object's path: "LDAP://" and the path.
  virtual std::string GetADsPath() const;

  void SetPath(std::string path) { m_strPath = std::move(path); }
  void SetUserClasses(std::vector<std::string> classes) { m_userClasses = std::move(classes); }
  void SetContainerClasses(std::vector<std::string> classes) { m_containerClasses = std::move(classes); }

 protected:
  void Walk(const std::string& subPath, int depth, ImportUserList& result);

  std::shared_ptr<const DirectoryModule> module_;
  std::string m_strPath;
  std::vector<std::string> m_userClasses;
  std::vector<std::string> m_containerClasses;
  std::string m_strKeyAttribute = "sn";

 private:
  void MarkIncomplete(ads::HRESULT code);
  void TakeChild(ads::VARIANT& child, const std::string& subPath, int depth, ImportUserList& result);
  ImportUser MakeRecord(ads::IADs& object, const std::string& relativeName) const;

  DirectoryReadStatus status_;
};

// The accounts of a computer or NetBIOS domain: "WinNT://" and the path; classes "user", "User".
class CWinNTDirectoryReader : public CDirectoryReader {
 public:
  using CDirectoryReader::CDirectoryReader;
  void EnumerateUsers(ImportUserList& result) override;
  std::string GetADsPath() const override;
};

// The users at the root of a DNS domain: "LDAP://DC=x,DC=y" for x.y; user names from
// "samAccountName"; classes "user", "User".
class CDomainDirectoryReader : public CDirectoryReader {
 public:
  CDomainDirectoryReader();
  explicit CDomainDirectoryReader(std::shared_ptr<const DirectoryModule> module);
  void EnumerateUsers(ImportUserList& result) override;
  std::string GetADsPath() const override;
};

// The text of the last "connection failed" of this thread as the module explained it (a server's
// answer such as "Invalid credentials"); "" when the module gave none.
const std::string& LastDirectoryFailureDetail();
void ClearLastDirectoryFailureDetail();

}  // namespace orn
