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

// Every stored password of the record, in a fixed order.
std::vector<const char*> Passwords(const ConfigRecord& r) {
  std::vector<const char*> all;
  if (r.users)
    for (const TILOCONF_user* u = r.users->users; u; u = u->next) all.push_back(u->password);
  if (r.mail)
    for (const TILOCONF_mailaccount* a = r.mail->accounts; a; a = a->next) {
      all.push_back(a->password);
      all.push_back(a->password2);
    }
  if (r.inet)
    for (const TILOCONF_provider* p = r.inet->providers; p; p = p->next) all.push_back(p->password);
  return all;
}

class PasswordCipherTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    config_get_pwfuncs(&savedEncrypt_, &savedDecrypt_);
    WriteCodes(HivePath(), kCode);
  }
  void TearDown() override {
    config_set_pwfuncs(savedEncrypt_, savedDecrypt_);
    IsolatedTest::TearDown();
  }

  std::string Path(const std::string& name) const { return Scratch() / name; }

  static void FillPasswords(ConfigRecord* r) {
    AddUser(r, "anna", "Sommer2024!");
    AddUser(r, "bob", "");
    AddUser(r, "carl", nullptr);
    AddAccount(r, "pop.example.net", "info", "geheim", nullptr);
    AddAccount(r, "pop.example.net", "büro", "x", "smtp-pass");
    AddProvider(r, "Arcor", "dsl-pass\nwith line");
  }

  config_pwfunc savedEncrypt_ = nullptr, savedDecrypt_ = nullptr;
};

TEST_F(PasswordCipherTest, HooksEncipherOnSaveAndDecipherOnLoad) {
  pwcrypt_init();
  Record expected;
  FillPasswords(expected.get());
  const std::string text = SaveToText(expected.r, Path("a.cfg"));
  for (const char* secret : {"Sommer2024", "geheim", "smtp-pass", "dsl-pass"})
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  EXPECT_NE(text.find("[user]\nName=anna\nPassword*="), std::string::npos) << text;
  EXPECT_NE(text.find("Password2*="), std::string::npos);
  EXPECT_NE(text.find("[user]\nName=carl\nRights=0"), std::string::npos);  // null stays absent

  Record loaded;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), loaded.get()), 0);
  EXPECT_EQ(Describe(loaded.r), Describe(expected.r));
  // Enciphering is deterministic, so that an unchanged configuration saves to the same bytes.
  EXPECT_EQ(SaveToText(loaded.r, Path("b.cfg")), text);

  // Product codes compare ignoring case.
  WriteCodes(HivePath(), "a7k2qxm4p9zrt3cw8n");
  pwcrypt_init();
  Record again;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), again.get()), 0);
  EXPECT_EQ(Describe(again.r), Describe(expected.r));
}

// Under a wrong code every password reads as unprintable text (300 random ones beside the usual
// set), so that the wizard can tell; with that installation's code as the old code they read right.
TEST_F(PasswordCipherTest, AnotherInstallationsFileNeedsItsCode) {
  Record record;
  FillPasswords(record.get());
  std::mt19937 random(12345);
  for (int i = 0; i < 300; ++i) {
    std::string password(1 + random() % 24, ' ');
    for (char& c : password) c = static_cast<char>(0x20 + random() % 95);
    AddUser(record.get(), ("u" + std::to_string(i)).c_str(), password.c_str());
  }
  WriteCodes(HivePath(), kOtherCode);
  pwcrypt_init();
  SaveToText(record.r, Path("other.cfg"));
  WriteCodes(HivePath(), kCode);
  pwcrypt_init();
  Record wrong;
  ASSERT_EQ(TILOCONF_varload(Path("other.cfg").c_str(), wrong.get()), 0);
  const std::vector<const char*> garbled = Passwords(wrong.r);
  ASSERT_EQ(garbled.size(), 308u);
  for (const char* password : garbled) EXPECT_FALSE(password && *password && Printable(password)) << password;
  EXPECT_STREQ(wrong->users->users->next->password, "");                    // an empty one stays empty
  EXPECT_EQ(strlen(wrong->users->users->password), strlen("Sommer2024!"));  // no NUL cuts it short

  WriteCodes(HivePath(), kCode, "b3x9lq7zk2mv5tr8wd");
  pwdecryptreinit();
  Record right;
  ASSERT_EQ(TILOCONF_varload(Path("other.cfg").c_str(), right.get()), 0);
  EXPECT_EQ(Describe(right.r), Describe(record.r));
}

TEST_F(PasswordCipherTest, PlainPasswordsStayPlain) {
  // Written with the hooks off (a backup or a merge file), read with them on: kept as they are.
  config_set_pwfuncs(nullptr, nullptr);
  Record record;
  FillPasswords(record.get());
  SaveToText(record.r, Path("plain.cfg"));
  pwcrypt_init();
  Record loaded;
  ASSERT_EQ(TILOCONF_varload(Path("plain.cfg").c_str(), loaded.get()), 0);
  EXPECT_EQ(Describe(loaded.r), Describe(record.r));

  // With the hooks off an enciphered password is loaded as its stored text and saved plain.
  SaveToText(record.r, Path("sealed.cfg"));
  config_set_pwfuncs(nullptr, nullptr);
  Record raw;
  ASSERT_EQ(TILOCONF_varload(Path("sealed.cfg").c_str(), raw.get()), 0);
  const std::string stored = raw->users->users->password;
  EXPECT_EQ(stored.size(), 2 * (8 + strlen("Sommer2024!")));
  EXPECT_NE(ReadFile(Path("sealed.cfg")).find("Password*=" + stored + "\n"), std::string::npos);
  EXPECT_NE(SaveToText(raw.r, Path("resaved.cfg")).find("Password=" + stored + "\n"), std::string::npos);
}

TEST_F(PasswordCipherTest, MissingOrUnreadableCodeIsTheEmptyCode) {
  WriteFile(HivePath(), "this is no hive\n");
  pwcrypt_init();
  Record record;
  FillPasswords(record.get());
  SaveToText(record.r, Path("a.cfg"));

  WriteCodes(HivePath(), std::nullopt);
  pwcrypt_init();
  Record loaded;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), loaded.get()), 0);
  EXPECT_EQ(Describe(loaded.r), Describe(record.r));

  // pwdecryptreinit without an old code deciphers with the empty code too.
  WriteCodes(HivePath(), kCode);
  pwdecryptreinit();
  Record reloaded;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), reloaded.get()), 0);
  EXPECT_EQ(Describe(reloaded.r), Describe(record.r));
}

TEST_F(PasswordCipherTest, DamagedEncipheredTextIsUnreadableNotAnError) {
  WriteFile(Path("a.cfg"),
            "ORNCFG 1\n[users]\n[user]\nPassword*=zz\n[user]\nPassword*=0011\n[user]\nPassword*=\nEND\n");
  pwcrypt_init();
  Record loaded;
  ASSERT_EQ(TILOCONF_varload(Path("a.cfg").c_str(), loaded.get()), 0);
  const TILOCONF_user* user = loaded->users->users;
  EXPECT_STREQ(user->password, "\xfa\xfa");
  EXPECT_STREQ(user->next->password, "\x80\x91");
  EXPECT_STREQ(user->next->next->password, "");
}

TEST_F(PasswordCipherTest, SettingsPasswordTexts) {
  char text[81];
  for (const char* password : {"", "x", "Admin-Passwort 2024", "0123456789abcdefghijklmnopqrstu"}) {
    ASSERT_EQ(pwstringencrypt(password, text, sizeof text), 0) << password;
    EXPECT_EQ(strlen(text), 80u);
    EXPECT_EQ(strspn(text, "0123456789abcdef"), 80u);
    char plain[64];
    memset(plain, 'z', sizeof plain);
    pwstringdecrypt(text, plain, sizeof plain);
    EXPECT_STREQ(plain, password);
  }
  EXPECT_EQ(pwstringencrypt("0123456789abcdefghijklmnopqrstuv", text, sizeof text),
            -1);  // 32 bytes
  EXPECT_EQ(pwstringencrypt("x", text, 80), -1);

  ASSERT_EQ(pwstringencrypt("Geheimnis", text, sizeof text), 0);
  char shortBuffer[4];
  pwstringdecrypt(text, shortBuffer, sizeof shortBuffer);
  EXPECT_STREQ(shortBuffer, "Geh");

  // Upper-case hex is read as well.
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  char plain[64];
  pwstringdecrypt(upper.c_str(), plain, sizeof plain);
  EXPECT_STREQ(plain, "Geheimnis");

  // Malformed texts give an empty password.
  const std::string good = text;
  for (const std::string& bad : {good.substr(0, 79), good + "0", good.substr(0, 79) + "g", std::string()}) {
    strcpy(plain, "not touched");
    pwstringdecrypt(bad.c_str(), plain, sizeof plain);
    EXPECT_STREQ(plain, "") << bad;
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
