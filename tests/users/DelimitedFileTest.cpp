#include <string>
#include <vector>

#include "users/DelimitedFile.h"
#include "users/TestUsers.h"

namespace orn {
namespace {

class DelimitedFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    test::WriteFile(scratch_ / "f.csv", text);
    return scratch_ / "f.csv";
  }
  // Separator and column count that a reader works out.
  std::pair<char, int> Detect(const std::string& text) {
    CDelimitedFile file(Write(text).c_str());
    return {file.Separator(), file.ColumnCount()};
  }
  // Every field until the end, with the results of the last two reads.
  std::vector<std::string> Fields(const std::string& text, std::vector<int>* results = nullptr) {
    CDelimitedFile file(Write(text).c_str());
    std::vector<std::string> fields;
    char buffer[16];
    for (int r; (r = file.ReadField(buffer, 8)) != -1;) {
      fields.emplace_back(buffer);
      if (results) results->push_back(r);
    }
    return fields;
  }
  test::ScratchDir scratch_;
};

TEST_F(DelimitedFileTest, DetectsSeparatorAndColumns) {
  EXPECT_EQ(Detect("a,b,c\r\nd,e,f\r\n"), std::make_pair(',', 3));
  EXPECT_EQ(Detect("a;b;c\nd;e;f\n"), std::make_pair(';', 3));
  EXPECT_EQ(Detect("a,b;c\nd,e;f\n"), std::make_pair(',', 2));      // comma preferred
  EXPECT_EQ(Detect("a,b,c;x\nd,e;f\n"), std::make_pair(';', 2));    // commas inconsistent
  EXPECT_EQ(Detect("a,b,c;x;y\nd,e;f\n"), std::make_pair(',', 3));  // nothing consistent
  EXPECT_EQ(Detect("a\tb\n"), std::make_pair('\t', 2));
  EXPECT_EQ(Detect(""), std::make_pair(',', 1));
  EXPECT_EQ(Detect("a;b\nc;d\n\nx,y,z;;;\n"), std::make_pair(';', 2));  // after the empty line: ignored
  EXPECT_EQ(Detect("\na;b\n"), std::make_pair(',', 1));                 // empty first line fails all
}

TEST_F(DelimitedFileTest, FieldsAndLineEnds) {
  std::vector<int> results;
  EXPECT_EQ(Fields("a,,b\r\nc\r\n", &results), (std::vector<std::string>{"a", "", "b", "c", ""}));
  EXPECT_EQ(results, (std::vector<int>{2, 1, 2, 2, 1}));
  EXPECT_EQ(Fields("a,b"), (std::vector<std::string>{"a", "b"}));         // no line end: no empty field
  EXPECT_EQ(Fields("a\rb\n"), (std::vector<std::string>{"a", "b", ""}));  // lone CR ends a line
  EXPECT_EQ(Fields("a\r\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Fields("\"x,y\""), (std::vector<std::string>{"\"x", "y\""}));  // no quoting
}

TEST_F(DelimitedFileTest, LongFieldsAndLinesStayInTheBufferAndTheRestIsDropped) {
  EXPECT_EQ(Fields("0123456789ABC,next\n"), (std::vector<std::string>{"01234567", "next", ""}));
  CDelimitedFile file(Write(std::string(100, 'x') + "\nsecond\n").c_str());
  char line[6];
  EXPECT_EQ(file.ReadLine(line, 5), 6);
  EXPECT_STREQ(line, "xxxxx");
  EXPECT_EQ(file.ReadLine(line, 5), 6);
  EXPECT_STREQ(line, "secon");
}

TEST_F(DelimitedFileTest, NoStreamIsNoOpenedFile) {
  CDelimitedFile reader((scratch_ / "missing.csv").c_str());
  char buffer[8];
  EXPECT_EQ(test::ThrownText([&] { reader.ReadField(buffer, 7); }), "no opened file");
  CDelimitedFile writer((scratch_ / "no/such/dir.csv").c_str(), 2, ',');
  EXPECT_THROW(writer.WriteField("x"), MessageError);
  CDelimitedFile directory(scratch_.Path().c_str());  // a folder is not a file
  EXPECT_THROW(directory.ReadLine(buffer, 7), MessageError);
}

}  // namespace
}  // namespace orn
