#include "platform/Hive.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orn::platform {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kKey = "HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion";

HiveValue Text(const std::string& name, const std::string& data) { return {name, ValueType::String, data}; }

class HiveTest : public test::IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    hive_ = Hive(Hive::DefaultPath());
  }
  bool TemporariesLeft() {
    for (const auto& entry : std::filesystem::directory_iterator(Scratch().Path()))
      if (entry.path().filename().string().rfind(".orn-tmp-", 0) == 0) return true;
    return false;
  }
  Hive hive_{""};
};

TEST_F(HiveTest, RoundTripsAnyBytesInNamesAndData) {
  std::string everyByte, binary;
  for (int c = 1; c < 256; ++c) everyByte.push_back(static_cast<char>(c));
  for (int c = 0; c < 256; ++c) binary.push_back(static_cast<char>(255 - c));
  const std::vector<HiveValue> values = {Text(everyByte, everyByte),
                                         Text("quote\"back\\slash", "\\\"\\n\\r look like escapes"),
                                         Text("line\nbreak\r", "a\nb\r\nc\r"),
                                         Text("ends in backslash\\", "\\"),
                                         Text("", "the default value"),
                                         Text("@", ""),
                                         {"Number", ValueType::Dword, std::string("\x2a\x00\x01\x80", 4)},
                                         {"Bytes", ValueType::Binary, binary},
                                         {"No bytes", ValueType::Binary, ""}};
  for (const HiveValue& v : values) hive_.SetValue(kKey, v);

  const std::vector<HiveValue> read = Hive(HivePath()).ListValues(kKey);
  ASSERT_EQ(read.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_TRUE(read[i].name == values[i].name && read[i].type == values[i].type && read[i].data == values[i].data)
        << i;
  const std::string text = ReadFile(HivePath());
  EXPECT_EQ(text.rfind("REGEDIT4\n\n[" + kKey + "]\n", 0), 0u);
  EXPECT_EQ(text.find_first_of(std::string("\r\0", 2)), std::string::npos);
  EXPECT_NE(text.find("\n\"Number\"=dword:8001002a\n"), std::string::npos);
  EXPECT_NE(text.find("\n@=\"the default value\"\n"), std::string::npos);

  // What was read is written back unchanged.
  hive_.SetValue(kKey, Text("extra", "x"));
  ASSERT_TRUE(hive_.DeleteValue(kKey, "extra"));
  EXPECT_EQ(ReadFile(HivePath()), text);
}

TEST_F(HiveTest, ReadsHandWrittenFileWithCrLfCommentsAndContinuations) {
  WriteFile(HivePath(),
            "REGEDIT4\r\n\r\n; written by hand\r\n[HKEY_LOCAL_MACHINE\\Software\\OSKA]\r\n"
            "\"Text\"=\"a\\\\b \\\"q\\\"\"\r\n@=\"default\"\r\n  \"Num\" = dword:2A  \r\n"
            "\"Bin\"=hex:00,FF,\\\r\n  10 , \\\r\n  7f\r\n   ; comment\r\n\"TEXT\"=\"later wins\"\r\n");
  const auto values = hive_.ListValues("HKEY_LOCAL_MACHINE\\Software\\OSKA");
  std::vector<std::string> read;  // name=type:data, the types as the registry numbers them
  for (const HiveValue& v : values) read.push_back(v.name + "=" + std::to_string(int(v.type)) + ":" + v.data);
  EXPECT_EQ(read, (std::vector<std::string>{"Text=1:later wins", "=1:default", "Num=4:" + std::string("\x2a\0\0\0", 4),
                                            "Bin=3:" + std::string("\x00\xff\x10\x7f", 4)}));
}

TEST_F(HiveTest, NamesIgnoreCaseKeepTheirSpellingAndParentsExist) {
  hive_.SetValue(kKey, Text("InstallDirectory", "/opt/orn"));
  const std::string other = "hkey_local_machine\\SOFTWARE\\oska\\orn\\currentversion";
  hive_.SetValue(other, Text("installdirectory", "/srv/orn"));
  const auto value = hive_.GetValue(other, "INSTALLDIRECTORY");
  EXPECT_TRUE(value && value->name == "InstallDirectory" && value->data == "/srv/orn");
  EXPECT_EQ(hive_.ListValues(kKey).size(), 1u);

  for (const std::string& key : {std::string("HKEY_LOCAL_MACHINE"), std::string("hkey_local_machine\\software\\oska")})
    EXPECT_TRUE(hive_.KeyExists(key)) << key;
  for (const std::string& key : {std::string("HKEY_LOCAL_MACHINE\\Soft"), kKey + "\\Deeper"})
    EXPECT_FALSE(hive_.KeyExists(key)) << key;

  // A new key is appended and takes the stored spelling of the names that exist already.
  hive_.CreateKey("HKEY_LOCAL_MACHINE\\software\\oska\\Extra");
  EXPECT_EQ(ReadFile(HivePath()), "REGEDIT4\n\n[" + kKey + "]\n\"InstallDirectory\"=\"/srv/orn\"\n\n" +
                                      "[HKEY_LOCAL_MACHINE\\Software\\OSKA\\Extra]\n\n");
}

TEST_F(HiveTest, DeletesValuesAndKeysWithTheirSubkeys) {
  for (const char* key : {"HKEY_LOCAL_MACHINE\\A\\B", "HKEY_LOCAL_MACHINE\\A\\B\\C", "HKEY_LOCAL_MACHINE\\A\\BC",
                          "HKEY_LOCAL_MACHINE\\D"})
    hive_.SetValue(key, Text("v", key));
  EXPECT_TRUE(hive_.DeleteValue("hkey_local_machine\\a\\b", "V"));
  EXPECT_FALSE(hive_.GetValue("HKEY_LOCAL_MACHINE\\A\\B", "v"));
  EXPECT_FALSE(hive_.DeleteValue("HKEY_LOCAL_MACHINE\\Nowhere", "v"));

  EXPECT_TRUE(hive_.DeleteKey("HKEY_LOCAL_MACHINE\\a\\b"));
  EXPECT_FALSE(hive_.KeyExists("HKEY_LOCAL_MACHINE\\A\\B\\C"));
  EXPECT_TRUE(hive_.GetValue("HKEY_LOCAL_MACHINE\\A\\BC", "v"));  // a sibling sharing letters stays
  EXPECT_TRUE(hive_.DeleteKey("HKEY_LOCAL_MACHINE\\A"));          // a parent without a section of its own
  EXPECT_FALSE(hive_.KeyExists("HKEY_LOCAL_MACHINE\\A\\BC"));
  EXPECT_TRUE(hive_.GetValue("HKEY_LOCAL_MACHINE\\D", "v"));
}

TEST_F(HiveTest, MissingHiveIsEmptyAndMadeByTheFirstChange) {
  EXPECT_TRUE(hive_.CanRead() && hive_.CanWrite());
  EXPECT_FALSE(hive_.DeleteKey(kKey));
  EXPECT_FALSE(test::PathExists(HivePath()));
  const auto mode = [&] {
    struct stat st {};
    return stat(HivePath().c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  hive_.CreateKey(kKey);
  EXPECT_EQ(mode(), 0600u);
  ASSERT_EQ(chmod(HivePath().c_str(), 0640), 0);  // a rewrite keeps the administrator's mode
  hive_.SetValue(kKey, Text("x", "1"));
  EXPECT_EQ(mode(), 0640u);
}

TEST_F(HiveTest, DamagedHiveAndUnstorableValuesAreRefusedAndTheFileLeftAlone) {
  const std::vector<std::string> damaged = {
      "REGEDIT5\n[A]\n",
      "REGEDIT4\n\"x\"=\"value before any section\"\n",
      "REGEDIT4\n[A]\n\"x\"=\"bad \\t escape\"\n",
      "REGEDIT4\n[A]\n\"x\"=hex:00,\\\n",
      "REGEDIT4\n[A]\n\"x\"=dword:123456789\n",
      "REGEDIT4\n[A\\\\B]\n",
      std::string("REGEDIT4\n[A]\n\"x\"=\"a\0b\"\n", 23),
  };
  for (const std::string& content : damaged) {
    SCOPED_TRACE(content);
    WriteFile(HivePath(), content);
    EXPECT_THROW(hive_.GetValue("A", "x"), HiveError);
    EXPECT_THROW(hive_.SetValue("A", Text("x", "2")), HiveError);
    EXPECT_EQ(ReadFile(HivePath()), content);
  }

  WriteFile(HivePath(), "REGEDIT4\n");
  EXPECT_THROW(hive_.SetValue(kKey, Text("x", std::string("a\0b", 3))), HiveError);
  EXPECT_THROW(hive_.SetValue(kKey, {"d", ValueType::Dword, "123"}), HiveError);
  EXPECT_THROW(hive_.SetValue("A\\\\B", Text("x", "1")), HiveError);
  EXPECT_THROW(hive_.CreateKey("A\nB"), HiveError);
  EXPECT_EQ(ReadFile(HivePath()), "REGEDIT4\n");
  EXPECT_FALSE(TemporariesLeft());
}

TEST_F(HiveTest, TwoProcessesWritingAtOnceLoseNothing) {
  std::vector<pid_t> writers;
  for (int w = 0; w < 2; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) try {
        for (int i = 0; i < 200; ++i)
          Hive(HivePath()).SetValue(kKey, Text(std::to_string(w) + "-" + std::to_string(i), "1"));
        _exit(0);
      } catch (...) {
        _exit(1);
      }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) {
    int status = 0;
    EXPECT_TRUE(waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::set<std::string> names;
  for (const HiveValue& v : hive_.ListValues(kKey)) names.insert(v.name);
  EXPECT_EQ(names.size(), 400u);
}

TEST_F(HiveTest, WriterKilledHoldingTheLockLeavesTheOldHive) {
  hive_.SetValue(kKey, Text("old", "1"));
  const std::string before = ReadFile(HivePath());
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {  // a writer that took the lock and got half way through its temporary file
    flock(open((HivePath() + ".lock").c_str(), O_RDWR), LOCK_EX);
    WriteFile(Scratch().Path() + "/.orn-tmp-" + std::to_string(getpid()) + "-0-0", "REGEDIT4\n\n[HKEY_LOC");
    if (write(ready[1], "x", 1) != 1) _exit(1);
    for (;;) pause();
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_TRUE(TemporariesLeft());
  EXPECT_TRUE(hive_.GetValue(kKey, "old"));  // reads take no lock
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);

  EXPECT_EQ(ReadFile(HivePath()), before);
  hive_.SetValue(kKey, Text("new", "2"));  // the lock died with its holder
  EXPECT_TRUE(hive_.GetValue(kKey, "old") && hive_.GetValue(kKey, "new"));
  EXPECT_FALSE(TemporariesLeft());  // and its temporary file is cleared away
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace orn::platform
