// MD5, SHA-1 and HMAC against their published test suites, and the bounds of the fixed-size forms.
#include <gtest/gtest.h>

#include <string>

#include "crypto/Digest.h"
#include "crypto/Hex.h"
#include "crypto/Hmac.h"

namespace orn::crypto {
namespace {

using test::Bytes;
using test::FromHex;
using test::ToHex;

// Digest of text fed in pieces of `piece` bytes.
std::string DigestOf(const DigestDescriptor& d, const std::string& text, size_t piece) {
  DigestContext context;
  EXPECT_EQ(d.init(context), 1);
  for (size_t at = 0; at < text.size(); at += piece)
    EXPECT_EQ(d.update(context, text.data() + at, std::min(piece, text.size() - at)), 1);
  unsigned char out[32];
  EXPECT_EQ(d.final(out, context), 1);
  return ToHex(out, static_cast<size_t>(d.digestSize));
}

TEST(DigestTest, Md5AndSha1TestSuites) {
  const DigestDescriptor &md5 = Md5Descriptor(), &sha1 = Sha1Descriptor();
  EXPECT_EQ(DigestOf(md5, "", 1), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestOf(md5, "message digest", 5), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(DigestOf(md5, "12345678901234567890123456789012345678901234567890123456789012345678901234567890", 7),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(DigestOf(sha1, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 13),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(DigestOf(sha1, std::string(1000000, 'a'), 1024), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

struct HmacCase {
  Bytes key;
  std::string message, md5, sha1;
};

TEST(DigestTest, HmacRfc2202Cases) {
  const std::string longKeyMessage = "Test Using Larger Than Block-Size Key - Hash Key First";
  const HmacCase cases[] = {
      {Bytes(16, 0x0b), "Hi There", "9294727a3638bb1c13f48ef8158bfc9d", ""},
      {Bytes(20, 0x0b), "Hi There", "", "b617318655057264e28bc0b6fb378c8ef146be00"},
      {Bytes{'J', 'e', 'f', 'e'}, "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738",
       "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {Bytes(80, 0xaa), longKeyMessage, "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd", "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {Bytes{}, "name", "", "c60b6433fdc1512a9663f9a6e4fb4dcb9c75f771"},  // an empty key is still a key
  };
  for (const HmacCase& c : cases) {
    SCOPED_TRACE(c.message);
    const auto* message = reinterpret_cast<const unsigned char*>(c.message.data());
    unsigned char out[20];
    if (!c.md5.empty()) {
      ASSERT_EQ(HmacMd5Of(message, c.message.size(), c.key.data(), c.key.size(), out, 16), 0);
      EXPECT_EQ(ToHex(out, 16), c.md5);
    }
    if (!c.sha1.empty()) {
      int length = 20;
      ASSERT_EQ(HmacSha1Of(message, c.message.size(), c.key.data(), c.key.size(), out, &length), 0);
      EXPECT_EQ(length, 20);
      EXPECT_EQ(ToHex(out, 20), c.sha1);
    }
  }
}

TEST(DigestTest, FixedSizeFormsRefuseShortOutputsWithoutWriting) {
  const unsigned char message[] = "name", key[] = "pw";
  unsigned char out[20] = {};
  int length = 19;
  EXPECT_EQ(HmacSha1Of(message, 4, key, 2, out, &length), -1);
  EXPECT_EQ(HmacMd5Of(message, 4, key, 2, out, 15), -1);
  EXPECT_EQ(ToHex(out, 20), std::string(40, '0'));
}

}  // namespace
}  // namespace orn::crypto
