#include "tiloconf/PasswordCipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Hive.h"
#include "tiloconf/ConfigText.h"
#include "tiloconf/tiloconf.h"

namespace orn::tiloconf {

namespace {

constexpr std::string_view kKeyLabel{"ORN!cfg password key 1\0", 23};
constexpr size_t kNonceSize = 8;
constexpr char kInstallationKey[] = "HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion";

// pwstringdecrypt texts: 8-byte nonce and a 32-byte block (length byte, password, zero padding).
constexpr size_t kStringBlockSize = 32;
constexpr size_t kStringTextSize = 2 * (kNonceSize + kStringBlockSize);  // 80
constexpr size_t kStringMaxPassword = kStringBlockSize - 1;              // 31

std::array<unsigned char, kNonceSize> Nonce(const PasswordKey& key, std::string_view plain) {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macSize = 0;
  if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
            reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), mac, &macSize))
    throw std::bad_alloc();  // HMAC fails only when it cannot get memory
  std::array<unsigned char, kNonceSize> nonce;
  memcpy(nonce.data(), mac, kNonceSize);
  return nonce;
}

// XORs the keystream of (key, nonce) into data.
void ApplyKeystream(const PasswordKey& key, const unsigned char* nonce, std::string& data) {
  unsigned char input[32 + kNonceSize + 8];
  memcpy(input, key.data(), 32);
  memcpy(input + 32, nonce, kNonceSize);
  unsigned char block[SHA256_DIGEST_LENGTH];
  for (size_t offset = 0; offset < data.size(); offset += sizeof block) {
    const uint64_t counter = offset / sizeof block;
    for (int i = 0; i < 8; ++i) input[32 + kNonceSize + i] = static_cast<unsigned char>(counter >> (56 - 8 * i));
    SHA256(input, sizeof input, block);
    for (size_t i = 0; i < sizeof block && offset + i < data.size(); ++i)
      data[offset + i] = static_cast<char>(data[offset + i] ^ block[i]);
  }
  OPENSSL_cleanse(input, sizeof input);
  OPENSSL_cleanse(block, sizeof block);
}

std::string Unreadable(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
  return bytes;
}

// The key of the password hooks: set by pwcrypt_init and pwdecryptreinit.
PasswordKey hookKey{};

char* CopyToMalloc(const std::string& text) {
  char* copy = static_cast<char*>(malloc(text.size() + 1));
  if (copy) memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The hooks return NULL (keep the text as it is) only when memory runs out.
char* EncryptHook(const char* text) {
  if (!text) return nullptr;
  try {
    return CopyToMalloc(ToHex(SealPassword(hookKey, text)));
  } catch (...) {
    return nullptr;
  }
}

char* DecryptHook(const char* text) {
  if (!text) return nullptr;
  try {
    std::string sealed;
    bool authentic = false;
    // A stored text that is no hex at all cannot be deciphered either: it comes back unreadable.
    std::string plain = FromHex(text, &sealed) ? OpenPassword(hookKey, sealed, &authentic) : Unreadable(text);
    return CopyToMalloc(plain);
  } catch (...) {
    return nullptr;
  }
}

void InstallHooksForCode(std::string_view code) {
  hookKey = DerivePasswordKey(code);
  config_set_pwfuncs(EncryptHook, DecryptHook);
}

void InstallHooks(const char* codeValueName) { InstallHooksForCode(ReadProductCode(codeValueName)); }

}  // namespace

PasswordKey DerivePasswordKey(std::string_view productCode) {
  std::string input(kKeyLabel);
  for (char c : productCode) input += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  PasswordKey key;
  SHA256(reinterpret_cast<const unsigned char*>(input.data()), input.size(), key.data());
  OPENSSL_cleanse(input.data(), input.size());
  return key;
}

std::string SealPassword(const PasswordKey& key, std::string_view plain) {
  const auto nonce = Nonce(key, plain);
  std::string body(plain);
  ApplyKeystream(key, nonce.data(), body);
  return std::string(reinterpret_cast<const char*>(nonce.data()), nonce.size()) + body;
}

std::string OpenPassword(const PasswordKey& key, std::string_view sealed, bool* authentic) {
  *authentic = false;
  if (sealed.size() < kNonceSize) return Unreadable(std::string(sealed));
  const auto* nonce = reinterpret_cast<const unsigned char*>(sealed.data());
  std::string plain(sealed.substr(kNonceSize));
  ApplyKeystream(key, nonce, plain);
  const auto expected = Nonce(key, plain);
  if (CRYPTO_memcmp(expected.data(), nonce, kNonceSize) != 0) return Unreadable(std::move(plain));
  *authentic = true;
  // Sealed texts come from C strings; a zero byte can only be damage and must not cut the text.
  for (char& c : plain)
    if (c == '\0') c = '\xFF';
  return plain;
}

std::string ToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0x0F];
  }
  return hex;
}

bool FromHex(std::string_view hex, std::string* bytes) {
  if (hex.size() % 2) return false;
  bytes->clear();
  bytes->reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigitValue(hex[i]), low = HexDigitValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    *bytes += static_cast<char>(high << 4 | low);
  }
  return true;
}

std::string ReadProductCode(const char* valueName) {
  try {
    platform::Hive hive(platform::Hive::DefaultPath());
    const auto value = hive.GetValue(kInstallationKey, valueName);
    if (!value || value->type != platform::ValueType::String) return {};
    // A REG_SZ written with its terminating NUL ends there.
    return value->data.substr(0, value->data.find('\0'));
  } catch (...) {
    return {};
  }
}

}  // namespace orn::tiloconf

using namespace orn::tiloconf;

extern "C" {

void pwcrypt_init(void) { InstallHooks("CDKey"); }

void pwdecryptreinit(void) { InstallHooks("OldCDKey"); }

void pwdecryptwithcode(const char* code) { InstallHooksForCode(code ? code : ""); }

void pwstringdecrypt(const char* text, char* output, size_t size) {
  if (!output || size == 0) return;
  output[0] = '\0';
  if (!text || strnlen(text, kStringTextSize + 1) != kStringTextSize) return;
  try {
    std::string sealed;
    if (!FromHex(std::string_view(text, kStringTextSize), &sealed)) return;
    bool authentic = false;
    const std::string block = OpenPassword(DerivePasswordKey(ReadProductCode("CDKey")), sealed, &authentic);
    std::string_view password;
    if (authentic) {
      const size_t length = static_cast<unsigned char>(block[0]);
      if (length > kStringMaxPassword) return;
      password = std::string_view(block).substr(1, length);
    } else {
      // Another installation's text: unreadable bytes of the full width, never an empty password.
      password = std::string_view(block).substr(1);
    }
    const size_t count = password.size() < size - 1 ? password.size() : size - 1;
    memcpy(output, password.data(), count);
    output[count] = '\0';
  } catch (...) {
    output[0] = '\0';
  }
}

int pwstringencrypt(const char* password, char* output, size_t size) {
  if (!password || !output || size < kStringTextSize + 1) return -1;
  const size_t length = strlen(password);
  if (length > kStringMaxPassword) return -1;
  try {
    std::string block(kStringBlockSize, '\0');
    block[0] = static_cast<char>(length);
    memcpy(block.data() + 1, password, length);
    const std::string hex = ToHex(SealPassword(DerivePasswordKey(ReadProductCode("CDKey")), block));
    memcpy(output, hex.c_str(), kStringTextSize + 1);
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // extern "C"
