#include "users/CSVUserImporter.h"

#include <string_view>

#include "install/MessageError.h"
#include "users/DelimitedFile.h"

namespace orn {

namespace {
constexpr int kFieldCapacity = 256;
}

ImportUserList CCSVUserImporter::Import() {
  CDelimitedFile file(path_.c_str());
  char field[kFieldCapacity + 1];
  for (const char* heading : {"Name", "FullName", "E-Mail"}) {
    file.ReadField(field, kFieldCapacity);
    if (std::string_view(field) != heading) throw MessageError("Die Datei hat ein ungültiges Format");
  }

  ImportUserList users;
  ImportUser record;
  int counter = 0;
  while (file.ReadField(field, kFieldCapacity) != -1) {
    switch (counter) {
      case 0:
        record.name = field;
        counter = 1;
        break;
      case 1:
        record.fullName = field;
        counter = 2;
        break;
      default:
        record.emails.emplace_back(field);
        users.Append(std::move(record));
        record = ImportUser{};
        counter = 0;
    }
  }
  file.Close();
  return users;
}

}  // namespace orn
