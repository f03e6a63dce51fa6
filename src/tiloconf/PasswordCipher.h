// The cipher of stored passwords, keyed with an installation's product code.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orn::tiloconf {

using PasswordKey = std::array<unsigned char, 32>;

// SHA-256 over a fixed label and the upper-cased (ASCII) product code.
PasswordKey DerivePasswordKey(std::string_view productCode);

// Enciphers deterministically: nonce = the first 8 bytes of HMAC-SHA256(key, plain); the result is
// nonce || (plain XOR keystream), the keystream being SHA-256(key || nonce || 64-bit big-endian
// block counter) for block 0, 1, ...
std::string SealPassword(const PasswordKey& key, std::string_view plain);

// The reverse of SealPassword. When the nonce does not match the deciphered text (another key, or
// damage) the deciphered bytes are returned each with its high bit set: unprintable, never NUL.
// A text shorter than a nonce comes back the same way. *authentic tells which case it was.
std::string OpenPassword(const PasswordKey& key, std::string_view sealed, bool* authentic);

std::string ToHex(std::string_view bytes);  // lower case
// False for an odd length or a character that is no hex digit (either case).
bool FromHex(std::string_view hex, std::string* bytes);

// The product code stored under the given value name of the installation key; "" when the value
// is missing, is not a text, or the hive cannot be read.
std::string ReadProductCode(const char* valueName);

}  // namespace orn::tiloconf
