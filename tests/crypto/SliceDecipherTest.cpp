// CBC decryption in slices on several workers: the same bytes as one serial decryption, in order,
// for any number of workers and slices (the window of slots wraps), and failure on a short file
// or when the consumer stops.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "crypto/Cipher.h"
#include "crypto/SliceDecipher.h"
#include "support/TestSupport.h"

namespace orn::crypto {
namespace {

constexpr unsigned char kKey[kMaxCipherKey] = "0123456789abcdefghijklm";
constexpr unsigned char kIv[kMaxCipherIv] = "fedcba987654321";
constexpr size_t kOffset = 13;  // the cipher text starts behind a header
constexpr size_t kSlice = 256 * 1024;

std::string SerialDecryption(const std::string& cipherText) {
  std::string in = cipherText + std::string(8, '\0');  // the block the update holds back
  std::string out(cipherText.size(), '\0');
  CipherContext context;
  int written = 0;
  EXPECT_TRUE(CipherInit(context, CipherById(1), kKey, kIv, 0));
  EXPECT_TRUE(CipherUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &written,
                           reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size())));
  return out;
}

TEST(SliceDecipherTest, EqualsSerialDecryptionInOrderAndStopsOnFailure) {
  test::ScratchDir s;
  for (size_t length : {size_t{0}, size_t{8}, kSlice, kSlice + 8, 9 * kSlice + 64}) {
    std::string file(kOffset + length, '\0');
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7919 >> 3);
    test::WriteFile(s / "f", file);
    const std::string expected = SerialDecryption(file.substr(kOffset));
    const int fd = open((s / "f").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (unsigned workers : {1u, 2u, 5u}) {
      SCOPED_TRACE(std::to_string(length) + " bytes, " + std::to_string(workers) + " workers");
      std::string plain;
      const auto collect = [&](const unsigned char* bytes, size_t n) {
        plain.append(reinterpret_cast<const char*>(bytes), n);
        return true;
      };
      ASSERT_TRUE(DecipherInSlices(fd, kOffset, length, 1, kKey, kIv, workers, collect));
      EXPECT_TRUE(plain == expected);
      if (length == 0) continue;
      EXPECT_FALSE(DecipherInSlices(fd, kOffset + 8, length, 1, kKey, kIv, workers, collect));  // ends early
      const size_t slices = (length + kSlice - 1) / kSlice;
      size_t calls = 0;  // the consumer stops at the second slice
      EXPECT_EQ(DecipherInSlices(fd, kOffset, length, 1, kKey, kIv, workers,
                                 [&](const unsigned char*, size_t) { return ++calls < 2; }),
                slices < 2);
      EXPECT_EQ(calls, std::min<size_t>(2, slices));
    }
    close(fd);
  }
}

}  // namespace
}  // namespace orn::crypto
