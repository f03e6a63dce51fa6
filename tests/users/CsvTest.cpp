#include <string>
#include <vector>

#include "users/CSVUserExporter.h"
#include "users/CSVUserImporter.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

using test::List;
using test::ThrownText;
using test::User;

ImportUserList TwoUsers() { return List({User("A", "Meier; Anna", {"a1", "a2"}), User("B", "Bernd")}); }

class CsvTest : public test::IsolatedTest {
 protected:
  std::string Export(const ImportUserList& users, char separator, bool perRow) {
    const std::string path = Scratch() / "out.csv";
    CCSVUserExporter(path, separator, perRow).Export(users);
    return test::ReadFile(path);
  }
  ImportUserList Import(const std::string& text) {
    test::WriteFile(Scratch() / "in.csv", text);
    return CCSVUserImporter(Scratch() / "in.csv").Import();
  }
  std::string ImportFailure(const std::string& text) {
    return ThrownText([&] { Import(text); });
  }
};

TEST_F(CsvTest, ExportLayouts) {
  EXPECT_EQ(Export(TwoUsers(), ';', false), "UserName;Name;E-Mail;E-Mail1\r\nA;Meier Anna;a1;a2\r\nB;Bernd;;\r\n");
  EXPECT_EQ(Export(TwoUsers(), ';', true), "UserName;Name;E-Mail\r\nA;Meier Anna;a1\r\nA;Meier Anna;a2\r\n");
  const ImportUserList nobody = List({User("B", "Bernd")});
  EXPECT_EQ(Export(nobody, ',', false), "UserName,Name\r\nB,Bernd\r\n");
  EXPECT_EQ(Export(nobody, ',', true), "UserName,Name,E-Mail\r\n");
  EXPECT_EQ(Export(ImportUserList{}, '\t', false), "UserName\tName\r\n");
}

TEST_F(CsvTest, ImportReadsGroupsOfThreeFields) {
  ImportUserList users = Import("Name;FullName;E-Mail\r\nanna;Anna A;anna@x.de\r\nbob;;\r\n");
  ASSERT_EQ(users.Count(), 2u);
  EXPECT_EQ(users[0].emails, std::vector<std::string>{"anna@x.de"});
  EXPECT_EQ(users[1].emails, std::vector<std::string>{""});
  // A fourth field shifts the reading; an incomplete last record is dropped.
  users = Import("Name,FullName,E-Mail\nanna,Anna,a@x,extra\nbob,Bob,b@x\n");
  ASSERT_EQ(users.Count(), 2u);
  EXPECT_EQ(users[1].name, "extra");
  EXPECT_EQ(users[1].emails, std::vector<std::string>{"Bob"});
  EXPECT_EQ(Import("Name,FullName,E-Mail").Count(), 0u);
}

TEST_F(CsvTest, ImportRejectsOtherHeaders) {
  for (const char* text : {"name,FullName,E-Mail\n", "\xEF\xBB\xBFName,FullName,E-Mail\n", "", "Name,FullName\n"})
    EXPECT_EQ(ImportFailure(text), "Die Datei hat ein ungültiges Format") << text;
  EXPECT_EQ(ImportFailure("Name,FullName,E-Mail\n" + std::string(300, 'x')).substr(0, 3),
            "(no");  // long fields are cut
}

TEST_F(CsvTest, ExportReadsInPythonCsvWithTheSameFields) {
  Export(TwoUsers(), ',', false);
  std::string output;
  ASSERT_EQ(test::RunCommand("python3 -c 'import csv,sys; r=list(csv.reader(open(sys.argv[1], newline=\"\")));"
                             " print(repr(r))' '" +
                                 Scratch() / "out.csv" + "'",
                             &output),
            0);
  EXPECT_EQ(output,
            "[['UserName', 'Name', 'E-Mail', 'E-Mail1'], ['A', 'Meier; Anna', 'a1', 'a2'], "
            "['B', 'Bernd', '', '']]\n");
}

}  // namespace
}  // namespace orn
