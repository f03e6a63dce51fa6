// Reading and writing orn.cfg: exact round trips, the written layout and the failure results.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "RecordBuilder.h"

namespace orn::test {
namespace {

class ConfigFormatTest : public IsolatedTest {
 protected:
  std::string Path(const std::string& name) const { return Scratch() / name; }

  uint16_t LoadText(const std::string& text, Record& record) {
    WriteFile(Path("in.cfg"), text);
    return TILOCONF_varload(Path("in.cfg").c_str(), record.get());
  }

  HooksOff hooksOff_;
};

// Every cut-short file fails; the load fuzz target checks the same over any damage.
TEST_F(ConfigFormatTest, EveryFieldSurvivesSaveAndLoadAndEveryCutFails) {
  Record original;
  FillFullRecord(original.get());
  const std::string saved = SaveToText(original.r, Path("a.cfg"));
  Record loaded;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), loaded.get()), 0);
  EXPECT_EQ(Describe(loaded.r), Describe(original.r));  // null and empty apart, owners in order
  EXPECT_EQ(SaveToText(loaded.r, Path("b.cfg")), saved);
  for (size_t length = 0; length < saved.size(); ++length) {
    Record cut;
    EXPECT_GE(LoadText(saved.substr(0, length), cut), 2) << "cut at " << length;
  }
}

TEST_F(ConfigFormatTest, LongRunsOfRepeatedLinesAndBlocksLoadAndSaveStably) {
  std::string many = "ORNCFG 1\n[mail]\n[address]\n";
  for (int i = 0; i < 100000; ++i) many += "Owner=x\n";
  for (int i = 0; i < 20000; ++i) many += "[section]\n";
  Record first, second;
  ASSERT_EQ(LoadText(many + "END\n", first), 0);
  const std::string saved = SaveToText(first.r, Path("a.cfg"));
  ASSERT_EQ(LoadText(saved, second), 0);
  EXPECT_EQ(SaveToText(second.r, Path("b.cfg")), saved);
}

TEST_F(ConfigFormatTest, WritesTheDocumentedLayout) {
  Record record;
  SetGeneral(record.get(), "gate", 1);
  AddUser(record.get(), "anna", "x\ny\\");
  EXPECT_EQ(SaveToText(record.r, Path("a.cfg")),
            "ORNCFG 1\n"
            "\n[general]\nServerName=gate\nConfigured=1\n"
            "\n[users]\n"
            "\n[user]\nName=anna\nPassword=x\\ny\\\\\nRights=0\n"
            "\nEND\n");

  Record empty;
  EXPECT_EQ(SaveToText(empty.r, Path("b.cfg")), "ORNCFG 1\n\nEND\n");
}

TEST_F(ConfigFormatTest, EscapedTextsKeepTheFileCleanUtf8) {
  Record record;
  AddSection(record.get(), "s", "\x01\x7f\t\r\n\\ \xc3\x28 \xf0\x9f\x98\x80 \xed\xa0\x80");
  const std::string text = SaveToText(record.r, Path("a.cfg"));
  EXPECT_NE(text.find("Text=\\x01\\x7F\\t\\r\\n\\\\ \\xC3( \xf0\x9f\x98\x80 \\xED\\xA0\\x80\n"), std::string::npos)
      << text;
  for (unsigned char c : text) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7F)) << int(c);
}

TEST_F(ConfigFormatTest, ReadsCommentsBlankLinesCrLfAndHexEscapesReplacingWhatTheRecordHeld) {
  Record record;
  FillFullRecord(record.get());
  ASSERT_EQ(LoadText("ORNCFG 1\r\n# written by hand\r\n\r\n[users]\r\n[user]\r\nName=b\\x4Fb\r\n"
                     "Rights=-3\r\nFullName=\r\n\r\nEND\r\n",
                     record),
            0);
  EXPECT_EQ(Describe(record.r),
            "[user]\nfullname=\"\"\nname=\"bOb\"\npassword=<null>\nemail=<null>\nrights=-3\n[users end]\n");
}

TEST_F(ConfigFormatTest, RefusesWhatIsNotAGoodConfigurationFile) {
  const struct {
    uint16_t result;
    std::vector<std::string> texts;
  } cases[] = {
      {TILOCONF_ERR_NOTCONFIG, {"", "ORNCFG 1a\nEND\n", "\xef\xbb\xbfORNCFG 1\nEND\n"}},
      {TILOCONF_ERR_VERSION, {"ORNCFG 2\nEND\n"}},
      {TILOCONF_ERR_SYNTAX,
       {"ORNCFG 1\n", "ORNCFG 1\nEND", "ORNCFG 1\nEND\n\n", "ORNCFG 1\nName=x\nEND\n", "ORNCFG 1\n[firewall]\nEND\n",
        "ORNCFG 1\n[users]\n[user]\nPassword=a\nPassword*=00\nEND\n", "ORNCFG 1\n[general]\n[general]\nEND\n",
        "ORNCFG 1\n[general]\n[provider]\nEND\n", "ORNCFG 1\n[users]\n[section]\n[user]\nEND\n",
        "ORNCFG 1\n[users]\nName=x\nEND\n", "ORNCFG 1\n[users]\n[user]\nName*=x\nEND\n"}},
      {TILOCONF_ERR_TOOLARGE, {"ORNCFG 1\n[section]\nText=" + std::string(1 << 20, 'a') + "\nEND\n"}},
  };
  for (const auto& c : cases)
    for (const std::string& text : c.texts) {
      Record record;
      EXPECT_EQ(LoadText(text, record), c.result) << text.substr(0, 60);
    }
  // Lines of the general block that are syntax errors: keys, numbers, escapes and raw bytes.
  for (const std::string& line :
       std::vector<std::string>{"Colour=red", "Domain", "Domain=a\nDomain=a", "Configured=1x", "Configured=01",
                                "Configured=-0", "Configured=9223372036854775808", "Domain=a\\x00b", "Domain=a\\qb",
                                "Domain=\\x4", "Domain=a\tb", std::string("Domain=a\0b", 10), "Domain=\xc3("}) {
    Record record;
    EXPECT_EQ(LoadText("ORNCFG 1\n[general]\n" + line + "\nEND\n", record), TILOCONF_ERR_SYNTAX) << line;
  }
  Record record;  // the longest line allowed still loads
  EXPECT_EQ(LoadText("ORNCFG 1\n[section]\nText=" + std::string((1 << 20) - 5, 'a') + "\nEND\n", record), 0);
}

TEST_F(ConfigFormatTest, RefusesWhatCannotBeRead) {
  Record record;
  EXPECT_EQ(TILOCONF_varload(Path("missing.cfg").c_str(), record.get()), TILOCONF_ERR_OPEN);
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(TILOCONF_varload(Path("fifo").c_str(), record.get()), TILOCONF_ERR_OPEN);  // and does not wait
  EXPECT_EQ(TILOCONF_varload(nullptr, record.get()), TILOCONF_ERR_ARGUMENT);
  EXPECT_EQ(TILOCONF_varsave(nullptr, record.get()), TILOCONF_ERR_ARGUMENT);
}

// Replacing and discarding are the atomic file's (AtomicFileTest); here the mode and the results.
TEST_F(ConfigFormatTest, SaveMakesTheFilePrivateAndAFailedSaveKeepsTheOld) {
  Record record;
  FillFullRecord(record.get());
  const std::string path = Path("orn.cfg");
  WriteFile(path, "readable by others");
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  SaveToText(record.r, path);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  std::filesystem::create_directory(Path("taken"));
  WriteFile(Path("taken/inside"), "x");
  EXPECT_EQ(TILOCONF_varsave(Path("taken").c_str(), record.get()), TILOCONF_ERR_WRITE);
  EXPECT_EQ(ReadFile(Path("taken/inside")), "x");
}

}  // namespace
}  // namespace orn::test
