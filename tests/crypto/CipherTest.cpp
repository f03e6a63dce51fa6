// The cipher layer against the published CBC vectors, and its bounded buffer operations.
#include <gtest/gtest.h>

#include "crypto/ChunkCipher.h"
#include "crypto/Cipher.h"
#include "crypto/Hex.h"

namespace orn::crypto {
namespace {

using test::Bytes;
using test::FromHex;
using test::ToHex;

// Runs one update over input with a fresh context; for decryption one block of padding follows.
Bytes Cbc(int cipherId, int direction, const Bytes& key, const Bytes& iv, Bytes input) {
  const CipherDescriptor* d = CipherById(cipherId);
  const size_t length = input.size();
  if (direction == 0) input.resize(length + static_cast<size_t>(d->blockSize));
  Bytes out(input.size() + kMaxCipherBlock);
  CipherContext context;
  int written = -1;
  EXPECT_EQ(CipherInit(context, d, key.data(), iv.data(), direction), 1);
  EXPECT_EQ(CipherUpdate(context, out.data(), &written, input.data(), static_cast<int>(input.size())), 1);
  EXPECT_EQ(written, static_cast<int>(length));
  out.resize(length);
  return out;
}

struct Vector {
  int cipherId;
  const char *key, *iv, *plain, *cipher;
};

TEST(CipherTest, PublishedCbcVectorsEncipherAndDecipher) {
  const Vector vectors[] = {
      // FIPS 81, appendix C: "Now is the time for all " in CBC mode.
      {kCipherDesCbc, "0123456789abcdef", "1234567890abcdef", "4e6f77206973207468652074696d6520666f7220616c6c20",
       "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"},
      // SP 800-67: "The qufck brown fox jump" in ECB mode; as CBC from a zero IV each plain block
      // after the first is XORed with the cipher block before it.
      {kCipherDesEde3Cbc, "0123456789abcdef23456789abcdef01456789abcdef0123", "0000000000000000",
       "54686520717566636b2062726f776e20666f78206a756d70", "a826fd8ce53b855fcce21c8112256fe668d5c05dd9b6b900"},
      // SP 800-38A F.2.1/F.2.2, CBC-AES128.
      {kCipherAes128Cbc, "2b7e151628aed2a6abf7158809cf4f3c", "000102030405060708090a0b0c0d0e0f",
       "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
       "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710",
       "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
       "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.cipherId);
    Bytes plain = FromHex(v.plain);
    const Bytes cipher = FromHex(v.cipher);
    if (v.cipherId == kCipherDesEde3Cbc)
      for (size_t i = 8; i < plain.size(); ++i) plain[i] ^= cipher[i - 8];
    EXPECT_EQ(ToHex(Cbc(v.cipherId, 1, FromHex(v.key), FromHex(v.iv), plain)), v.cipher);
    EXPECT_EQ(ToHex(Cbc(v.cipherId, 0, FromHex(v.key), FromHex(v.iv), cipher)), ToHex(plain));
  }
}

TEST(CipherTest, ChunkLengthsAndBounds) {
  unsigned char in[kChunkCapacity + 16] = {}, out[kChunkCapacity + 16];
  const unsigned char key[24] = {1, 2, 3, 4, 5, 6, 7, 8}, iv[16] = {9};
  int length = 0;
  for (const auto& [inLength, outLength] : {std::pair{1, 8}, {1195, 1200}, {1201, -1}}) {
    length = -1;
    EXPECT_EQ(EncryptChunk(in, inLength, out, &length, key, kCipherDesCbc, iv), outLength < 0 ? -1 : 0) << inLength;
    if (outLength > 0) {
      EXPECT_EQ(length, outLength);
    }
  }
  EXPECT_EQ(EncryptChunk(in, 8, out, &length, key, 4, iv), -1);
  EXPECT_EQ(DecryptChunk(in, 8, key, out, &length, 0, iv), -1);
  EXPECT_EQ(NameBlockDecode(in, 1185, out, &length, key), 0);  // rounds to 1200
  EXPECT_EQ(NameBlockDecode(in, 1201, out, &length, key), -1);
  for (int id : {0, 4}) EXPECT_TRUE(!CipherById(id) && CipherKeyLength(id) == -1 && CipherIvLength(id) == -1);
}

TEST(CipherTest, NameBlockEncodingIsAesCbcDecryption) {
  unsigned char name[48] = "twenty-byte-name.zip";
  const unsigned char key[16] = {0x42};
  unsigned char block[kChunkCapacity];
  int length = 0;
  ASSERT_TRUE(NameBlockEncode(name, 20, block, &length, key) == 0 && length == 32);
  // The writer's transform is AES-CBC decryption under the fixed IV (the reader's inverse is the
  // archive round trips').
  const Bytes raw =
      Cbc(kCipherAes128Cbc, 0, Bytes(key, key + 16), Bytes(kNameBlockIv, kNameBlockIv + 16), Bytes(name, name + 32));
  EXPECT_EQ(ToHex(raw), ToHex(block, 32));
}

}  // namespace
}  // namespace orn::crypto
