// Stored passwords under the installation's product code: the hooks, the enciphered file form,
// other installations' files and the 80-character settings password texts.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "RecordBuilder.h"

namespace orn::test {
namespace {

constexpr char kCode[] = "A7K2QXM4P9ZRT3CW8N";
constexpr char kOtherCode[] = "B3X9LQ7ZK2MV5TR8WD";

bool Printable(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p)
    if (!((*p >= 0x20 && *p <= 0x7F) || *p == '\n' || *p == '\r')) return false;
  return true;
}

class PasswordCipherTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    WriteCodes(HivePath(), kCode);
    FillPasswords(record_.get());
  }

  std::string Path(const std::string& name) const { return Scratch() / name; }
  // Loads the file with the hooks as they are; it must read as record_.
  void ExpectLoadsAsRecord(const std::string& name) {
    Record loaded;
    ASSERT_EQ(TILOCONF_varload(Path(name).c_str(), loaded.get()), 0);
    EXPECT_EQ(Describe(loaded.r), Describe(record_.r));
  }

  static void FillPasswords(ConfigRecord* r) {
    AddUser(r, "anna", "Sommer2024!");
    AddUser(r, "bob", "");
    AddUser(r, "carl", nullptr);
    AddAccount(r, "pop.example.net", "info", "geheim", nullptr);
    AddAccount(r, "pop.example.net", "büro", "x", "smtp-pass");
    AddProvider(r, "Arcor", "dsl-pass\nwith line");
  }

  HooksOff restoreHooks_;  // the tests switch them on
  Record record_;
};

TEST_F(PasswordCipherTest, HooksEncipherOnSaveAndDecipherOnLoad) {
  pwcrypt_init();
  const std::string text = SaveToText(record_.r, Path("a.cfg"));
  for (const char* secret : {"Sommer2024", "geheim", "smtp-pass", "dsl-pass"})
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  EXPECT_NE(text.find("[user]\nName=anna\nPassword*="), std::string::npos) << text;
  EXPECT_NE(text.find("[user]\nName=carl\nRights=0"), std::string::npos);  // null stays absent
  ExpectLoadsAsRecord("a.cfg");
  // Enciphering is deterministic, so that an unchanged configuration saves to the same bytes.
  EXPECT_EQ(SaveToText(record_.r, Path("b.cfg")), text);

  WriteCodes(HivePath(), "a7k2qxm4p9zrt3cw8n");  // product codes compare ignoring case
  pwcrypt_init();
  ExpectLoadsAsRecord("a.cfg");
}

// Under a wrong code every password reads as unprintable text (300 random ones), so that the wizard can tell; with that
// installation's code as the old code they read right.
TEST_F(PasswordCipherTest, AnotherInstallationsFileNeedsItsCode) {
  std::mt19937 random(12345);
  for (int i = 0; i < 300; ++i) {
    std::string password(1 + random() % 24, ' ');
    for (char& c : password) c = static_cast<char>(0x20 + random() % 95);
    AddUser(record_.get(), ("u" + std::to_string(i)).c_str(), password.c_str());
  }
  WriteCodes(HivePath(), kOtherCode);
  pwcrypt_init();
  SaveToText(record_.r, Path("other.cfg"));
  WriteCodes(HivePath(), kCode);
  pwcrypt_init();
  Record wrong;
  ASSERT_EQ(TILOCONF_varload(Path("other.cfg").c_str(), wrong.get()), 0);
  for (const TILOCONF_user* u = wrong->users->users; u; u = u->next)
    EXPECT_FALSE(u->password && *u->password && Printable(u->password)) << u->password;
  EXPECT_STREQ(wrong->users->users->next->password, "");                    // an empty one stays empty
  EXPECT_EQ(strlen(wrong->users->users->password), strlen("Sommer2024!"));  // no NUL cuts it short

  WriteCodes(HivePath(), kCode, "b3x9lq7zk2mv5tr8wd");
  pwdecryptreinit();
  ExpectLoadsAsRecord("other.cfg");
}

TEST_F(PasswordCipherTest, PlainPasswordsStayPlain) {
  // Written with the hooks off (a backup or a merge file), read with them on: kept as they are.
  SaveToText(record_.r, Path("plain.cfg"));
  pwcrypt_init();
  ExpectLoadsAsRecord("plain.cfg");

  // With the hooks off an enciphered password is loaded as its stored text and saved plain.
  SaveToText(record_.r, Path("sealed.cfg"));
  config_set_pwfuncs(nullptr, nullptr);
  Record raw;
  ASSERT_EQ(TILOCONF_varload(Path("sealed.cfg").c_str(), raw.get()), 0);
  const std::string stored = raw->users->users->password;
  EXPECT_NE(ReadFile(Path("sealed.cfg")).find("Password*=" + stored + "\n"), std::string::npos);
  EXPECT_NE(SaveToText(raw.r, Path("resaved.cfg")).find("Password=" + stored + "\n"), std::string::npos);
}

// A hive that does not read, a missing code and pwdecryptreinit without an old code all mean
// the empty code.
TEST_F(PasswordCipherTest, MissingOrUnreadableCodeIsTheEmptyCode) {
  WriteFile(HivePath(), "this is no hive\n");
  pwcrypt_init();
  SaveToText(record_.r, Path("a.cfg"));
  WriteCodes(HivePath(), std::nullopt);
  pwcrypt_init();
  ExpectLoadsAsRecord("a.cfg");
  WriteCodes(HivePath(), kCode);
  pwdecryptreinit();
  ExpectLoadsAsRecord("a.cfg");
}

TEST_F(PasswordCipherTest, SettingsPasswordTexts) {
  char text[81], plain[64];
  for (const char* password : {"", "0123456789abcdefghijklmnopqrstu"}) {
    ASSERT_EQ(pwstringencrypt(password, text, sizeof text), 0) << password;
    EXPECT_EQ(strspn(text, "0123456789abcdef"), 80u);
    memset(plain, 'z', sizeof plain);
    pwstringdecrypt(text, plain, sizeof plain);
    EXPECT_STREQ(plain, password);
  }
  EXPECT_EQ(pwstringencrypt("0123456789abcdefghijklmnopqrstuv", text, sizeof text), -1);  // 32 bytes
  EXPECT_EQ(pwstringencrypt("x", text, 80), -1);

  ASSERT_EQ(pwstringencrypt("Geheimnis", text, sizeof text), 0);
  const std::string good = text;
  std::string upper = good;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  // Text read -> what comes out: upper-case hex is read, a short buffer cuts, malformed is empty.
  const struct {
    std::string text;
    size_t size;
    std::string plain;
  } cases[] = {{upper, sizeof plain, "Geheimnis"},
               {good, 4, "Geh"},
               {good.substr(0, 79), sizeof plain, ""},
               {good + "0", sizeof plain, ""},
               {good.substr(0, 79) + "g", sizeof plain, ""}};
  for (const auto& c : cases) {
    strcpy(plain, "not touched");
    pwstringdecrypt(c.text.c_str(), plain, c.size);
    EXPECT_EQ(plain, c.plain) << c.text;
  }
  strcpy(plain, "not touched");
  pwstringdecrypt(nullptr, plain, sizeof plain);
  EXPECT_STREQ(plain, "");

  // Under another installation's code: an unreadable text of full width, never an empty one.
  WriteCodes(HivePath(), kOtherCode);
  pwstringdecrypt(good.c_str(), plain, sizeof plain);
  EXPECT_EQ(strlen(plain), 31u);
  EXPECT_FALSE(Printable(plain));
}

}  // namespace
}  // namespace orn::test
