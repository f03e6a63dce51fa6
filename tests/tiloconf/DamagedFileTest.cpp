// Cut-off configuration files fail, and long runs of lines load and save stably: the deterministic
// cases beside the load fuzz target, which checks the same property over any damage.
#include <string>

#include "RecordBuilder.h"

namespace orn::test {
namespace {

class DamagedFileTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    Record record;
    FillFullRecord(record.get());
    AddUser(record.get(), "sealed", "Sommer2024!");
    WriteCodes(HivePath(), "A7K2QXM4P9ZRT3CW8N");
    pwcrypt_init();  // the file holds enciphered passwords as an installed one does
    original_ = SaveToText(record.r, Scratch() / "orn.cfg");
    config_set_pwfuncs(nullptr, nullptr);
  }

  // Loads data; on success checks that the record saves, reloads and saves to the same bytes.
  // Returns the load result.
  uint16_t LoadAndCheck(const std::string& data) {
    const std::string in = Scratch() / "damaged.cfg", a = Scratch() / "a.cfg", b = Scratch() / "b.cfg";
    WriteFile(in, data);
    Record first;
    const uint16_t result = TILOCONF_varload(in.c_str(), first.get());
    if (result != 0) {
      EXPECT_GE(result, 2);
      return result;
    }
    EXPECT_EQ(TILOCONF_varsave(a.c_str(), first.get()), 0);
    Record second;
    EXPECT_EQ(TILOCONF_varload(a.c_str(), second.get()), 0);
    EXPECT_EQ(TILOCONF_varsave(b.c_str(), second.get()), 0);
    EXPECT_EQ(ReadFile(a), ReadFile(b));
    return result;
  }

  std::string original_;
};

TEST_F(DamagedFileTest, EveryCutShortFileFails) {
  ASSERT_GT(original_.size(), 500u);
  for (size_t length = 0; length < original_.size(); ++length)
    EXPECT_GE(LoadAndCheck(original_.substr(0, length)), 2) << "cut at " << length;
  EXPECT_EQ(LoadAndCheck(original_), 0);
}

// Foreign files and a bad line after the end are the format table's (ConfigFormatTest); here long
// runs of repeated lines and blocks, which load.
TEST_F(DamagedFileTest, LongRunsOfRepeatedLinesAndBlocksLoad) {
  std::string many = "ORNCFG 1\n[mail]\n[address]\n";
  for (int i = 0; i < 100000; ++i) many += "Owner=x\n";
  for (int i = 0; i < 20000; ++i) many += "[section]\n";
  EXPECT_EQ(LoadAndCheck(many + "END\n"), 0);
}

}  // namespace
}  // namespace orn::test
