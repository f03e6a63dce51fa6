#include "users/CSVUserExporter.h"

#include <algorithm>

#include "users/DelimitedFile.h"

namespace orn {

int CCSVUserExporter::Export(const ImportUserList& users) {
  size_t width = 0;
  for (const ImportUser& user : users) width = std::max(width, user.emails.size());
  // With one address per row the header always carries its "E-Mail" heading, so that the file
  // has complete rows even when nobody has an address.
  const size_t addressColumns = oneAddressPerRow_ ? 1 : width;
  CDelimitedFile file(path_.c_str(), static_cast<int>(addressColumns + 2), separator_);

  file.WriteField("UserName");
  file.WriteField("Name");
  for (size_t column = 0; column < addressColumns; ++column)
    file.WriteField(column == 0 ? "E-Mail" : ("E-Mail" + std::to_string(column)).c_str());

  for (const ImportUser& user : users) {
    if (oneAddressPerRow_) {
      for (const std::string& address : user.emails) {
        file.WriteField(user.name.c_str());
        file.WriteField(user.fullName.c_str());
        file.WriteField(address.c_str());
      }
      continue;
    }
    file.WriteField(user.name.c_str());
    file.WriteField(user.fullName.c_str());
    for (size_t column = 0; column < width; ++column)
      file.WriteField(column < user.emails.size() ? user.emails[column].c_str() : "");
  }
  file.Close();
  return static_cast<int>(users.Count());
}

}  // namespace orn
