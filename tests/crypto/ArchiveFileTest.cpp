// Encrypted archive files: round trips over the lengths that matter, agreement with one openssl
// run over the whole file, and every kind of damage ending in failure without a target.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "crypto/ArchiveEncryptor.h"
#include "crypto/ArchiveFile.h"
#include "crypto/ArchiveHeader.h"
#include "crypto/Cipher.h"
#include "crypto/Hex.h"
#include "crypto/Hmac.h"
#include "support/TestSupport.h"

namespace orn::crypto {
namespace {

using test::PathExists;
using test::ReadFile;
using test::WriteFile;

std::string Pattern(size_t length) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
  return text;
}

class ArchiveFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }
  // Encrypts plain, stored as name, into "<name>.eff"; returns the archive's bytes.
  std::string Encrypt(const std::string& plain, const std::string& name = "zip.tmp", int cipherId = 1,
                      const char* password = "geheim") {
    WriteFile(Path(name), plain);
    EXPECT_EQ(EncryptArchiveFile(Path(name).c_str(), Path(name + ".eff").c_str(), password, cipherId), 0);
    return ReadFile(Path(name + ".eff"));
  }
  int Decrypt(const std::string& archive, const char* password = "geheim") {
    WriteFile(Path("in.eff"), archive);
    return DecryptArchiveFile(Path("in.eff").c_str(), Path("out").c_str(), password);
  }
  // Only the files a test made itself: no temporary file is left behind.
  size_t FileCount() const {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(scratch_.Path()), std::filesystem::directory_iterator()));
  }

  test::ScratchDir scratch_;
};

// Round trips around block and piece boundaries; writing in one pass, in pieces of odd sizes, gives
// the bytes of encrypting the finished file.
TEST_F(ArchiveFileTest, RoundTripsAndOnePassEncryptionEqualsEncryptingTheFinishedFile) {
  const unsigned char salt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (int cipherId : {1, 2, 3}) {
    const size_t block = cipherId == 3 ? 16 : 8;
    for (size_t length : {0u, 1u, 7u, 8u, 9u, 1023u, 1024u, 1025u, 3001u, 70001u, 300000u}) {
      SCOPED_TRACE(std::to_string(cipherId) + "/" + std::to_string(length));
      const std::string plain = Pattern(length);
      WriteFile(Path("zip.tmp"), plain);
      ASSERT_EQ(EncryptArchiveFile(Path("zip.tmp").c_str(), Path("two-step.eff").c_str(), "pw", cipherId, salt), 0);
      const std::string archive = ReadFile(Path("two-step.eff"));
      ASSERT_EQ(archive.size(), 72 + 16 + (length + block - 1) / block * block);
      CArchiveEncryptor encryptor(Path("one-pass.eff"));
      ASSERT_TRUE(encryptor.Open("pw", cipherId, "/anderswo/zip.tmp", salt));
      for (size_t at = 0, step = 1; at < length; at += step, step = step * 3 % 100003)
        ASSERT_TRUE(encryptor.Write(plain.data() + at, std::min(step, length - at)));
      ASSERT_TRUE(encryptor.Finish());
      EXPECT_TRUE(ReadFile(Path("one-pass.eff")) == archive);
      ASSERT_EQ(Decrypt(archive, "pw"), 0);
      EXPECT_TRUE(ReadFile(Path("out")) == plain);
    }
  }
  EXPECT_EQ(FileCount(), 5u);  // zip.tmp, two-step.eff, one-pass.eff, in.eff, out
}

TEST_F(ArchiveFileTest, HeaderFieldsAndNameBlockLengths) {
  Encrypt(Pattern(100));
  ArchiveHeader header;
  uint64_t fileLength = 0;
  ASSERT_TRUE(ReadArchiveHeader(Path("zip.tmp.eff").c_str(), &header, &fileLength));
  EXPECT_EQ(header.plainLength, 100u);
  EXPECT_EQ(header.nameLength, 7u);
  EXPECT_EQ(fileLength, 72u + 16u + 104u);

  // A name of exactly 16 bytes fills its block without a zero byte; 17 bytes need two blocks.
  for (const std::string name : {"sixteen-byte.zip", "seventeen-bytes.z"}) {
    const std::string named = Encrypt("x", name);
    ASSERT_EQ(DecodeArchiveHeader(reinterpret_cast<const unsigned char*>(named.data())).nameBlockLength,
              name.size() == 16 ? 16u : 32u);
    ASSERT_EQ(Decrypt(named), 0) << name;
  }
}

TEST_F(ArchiveFileTest, PiecesFormOneCbcEncryptionOfTheZeroPaddedFile) {
  const std::string plain = Pattern(5000);
  const struct {
    int id;
    const char* name;
  } ciphers[] = {{1, "des-cbc"}, {2, "des-ede3-cbc"}, {3, "aes-128-cbc"}};
  for (const auto& cipher : ciphers) {
    SCOPED_TRACE(cipher.name);
    const std::string archive = Encrypt(plain, "zip.tmp", cipher.id, "pw");
    const ArchiveHeader header = DecodeArchiveHeader(reinterpret_cast<const unsigned char*>(archive.data()));
    unsigned char derived[30] = {}, iv[16];
    ASSERT_EQ(DeriveCipherKey(cipher.id, reinterpret_cast<const unsigned char*>("pw"), 2, header.salt, derived, 30), 0);
    ASSERT_EQ(HmacMd5Of(reinterpret_cast<const unsigned char*>("zip.tmp"), 7,
                        reinterpret_cast<const unsigned char*>("pw"), 2, iv, 16),
              0);
    const size_t block = cipher.id == 3 ? 16 : 8;
    WriteFile(Path("padded"), plain + std::string((block - plain.size() % block) % block, '\0'));
    const std::string command = "openssl enc -" + std::string(cipher.name) +
                                " -nopad -provider legacy -provider default -K " +
                                test::ToHex(derived, static_cast<size_t>(CipherKeyLength(cipher.id))) + " -iv " +
                                test::ToHex(iv, static_cast<size_t>(CipherIvLength(cipher.id))) + " -in '" +
                                Path("padded") + "' -out '" + Path("expected") + "'";
    ASSERT_EQ(test::RunCommand(command), 0) << command;
    EXPECT_TRUE(archive.substr(88) == ReadFile(Path("expected")));
  }
}

TEST_F(ArchiveFileTest, WrongOrEmptyPasswordAndUnknownCipherFailWithoutTarget) {
  const std::string archive = Encrypt(Pattern(3000));
  EXPECT_EQ(Decrypt(archive, "Geheim"), -1);
  EXPECT_FALSE(PathExists(Path("out")));

  WriteFile(Path("plain"), "data");
  EXPECT_EQ(EncryptArchiveFile(Path("plain").c_str(), Path("x.eff").c_str(), "", 1), -1);
  for (int id : {0, 4}) {
    EXPECT_EQ(EncryptArchiveFile(Path("plain").c_str(), Path("x.eff").c_str(), "pw", id), -1);
    std::string patched = archive;
    patched[40] = static_cast<char>(id);
    EXPECT_EQ(Decrypt(patched), -1);
  }
  EXPECT_EQ(EncryptArchiveFile(Path("missing").c_str(), Path("x.eff").c_str(), "pw", 1), -1);
  EXPECT_EQ(EncryptArchiveFile(scratch_.Path().c_str(), Path("x.eff").c_str(), "pw", 1), -1);  // a folder
  EXPECT_FALSE(PathExists(Path("x.eff")));
  EXPECT_FALSE(PathExists(Path("out")));
  EXPECT_EQ(FileCount(), 4u);  // zip.tmp, zip.tmp.eff, in.eff, plain
}

// A flipped byte at any place is the fuzz target's; here the borders of the 256 KB slices that
// decryption runs several at once, the fields a reader must not trust, and the old target kept.
TEST_F(ArchiveFileTest, DamageFailsAndLeavesTheOldTarget) {
  const std::string archive = Encrypt(Pattern(2100));
  const std::string large = Encrypt(Pattern(5 * 262144 + 1001), "large.zip");
  WriteFile(Path("out"), "older file");
  // The last place flips the one plain byte of the final block (a flip in the final block itself
  // garbles that byte, which the content MAC misses one time in 256: the padding is not covered).
  for (size_t at : {88ul, 88ul + 262143, 88ul + 262144, 88ul + 262152, 88ul + 3 * 262144 + 7, large.size() - 16}) {
    std::string damaged = large;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    ASSERT_EQ(Decrypt(damaged), -1) << at;
    ASSERT_EQ(Decrypt(large.substr(0, at)), -1) << at;  // ends early
  }
  std::string claimsMore = archive, bigBlock = archive, header = archive;
  claimsMore[22] = 1;                  // plain length + 65536, more than the file holds
  bigBlock[48] = 5, bigBlock[49] = 1;  // name block of 261 bytes
  header[30] ^= 0x10;                  // inside the salt
  for (const std::string& bad :
       {claimsMore, bigBlock + std::string(300, 'x'), header, archive.substr(0, 80), archive.substr(0, 3)})
    EXPECT_EQ(Decrypt(bad), -1);
  EXPECT_EQ(ReadFile(Path("out")), "older file");
  EXPECT_EQ(FileCount(), 6u);

  ASSERT_EQ(Decrypt(archive), 0);  // an existing target is replaced
  EXPECT_EQ(ReadFile(Path("out")), Pattern(2100));
  ASSERT_EQ(Decrypt(large), 0);
  EXPECT_TRUE(ReadFile(Path("out")) == Pattern(5 * 262144 + 1001));
}

TEST_F(ArchiveFileTest, TargetDefaultsToSourceWithDec) {
  Encrypt("plain text");
  const std::string source = Path("zip.tmp.eff");
  const std::string longTarget = Path(std::string(261 - Path("").size(), 'x'));
  ASSERT_EQ(longTarget.size(), 261u);
  EXPECT_EQ(DecryptTargetPath(source.c_str(), longTarget.c_str()), source + ".dec");
  EXPECT_EQ(DecryptTargetPath(source.c_str(), longTarget.substr(1).c_str()), longTarget.substr(1));
  ASSERT_EQ(DecryptArchiveFile(source.c_str(), nullptr, "geheim"), 0);
  EXPECT_EQ(ReadFile(source + ".dec"), "plain text");
  EXPECT_EQ(std::filesystem::status(source).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace orn::crypto
