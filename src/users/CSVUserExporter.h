// Writes users and their e-mail addresses into a delimited text file.
#pragma once

#include <string>

#include "users/ImportUser.h"

namespace orn {

class CCSVUserExporter {
 public:
  CCSVUserExporter(std::string path, char separator, bool oneAddressPerRow)
      : path_(std::move(path)), separator_(separator), oneAddressPerRow_(oneAddressPerRow) {}
  virtual ~CCSVUserExporter() = default;

  // Header "UserName", "Name", "E-Mail", "E-Mail1", ...; then one row per user (its addresses in
  // columns, empty fields up to the widest user) or, with one address per row, one row per address.
  // Returns the number of users in the list. Throws MessageError "no opened file" when the file
  // cannot be created.
  virtual int Export(const ImportUserList& users);

 private:
  std::string path_;
  char separator_;
  bool oneAddressPerRow_;
};

}  // namespace orn
