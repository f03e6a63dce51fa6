// Reads users from a delimited text file: a header "Name", "FullName", "E-Mail", then groups of
// three fields (user name, full name, e-mail address), wherever the line ends fall.
#pragma once

#include <string>

#include "users/ImportUser.h"

namespace orn {

class CCSVUserImporter {
 public:
  explicit CCSVUserImporter(std::string path) : path_(std::move(path)) {}
  virtual ~CCSVUserImporter() = default;

  // The records of the file in file order. Throws MessageError "Die Datei hat ein ungültiges
  // Format" for a wrong header and "no opened file" when the file cannot be read.
  virtual ImportUserList Import();

 private:
  std::string path_;
};

}  // namespace orn
