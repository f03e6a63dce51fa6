// The stirred pool: consecutive salts differ.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "crypto/RandomPool.h"

namespace orn::crypto {
namespace {

TEST(RandomPoolTest, ConsecutiveSaltsDiffer) {
  std::set<std::string> salts;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(RandomPoolInit(), 0);
    RandomPoolAddTimer();
    unsigned char salt[16];
    ASSERT_EQ(RandomPoolGetBytes(salt, 16), 0);
    salts.insert(std::string(reinterpret_cast<char*>(salt), 16));
  }
  EXPECT_EQ(salts.size(), 20u);
}

}  // namespace
}  // namespace orn::crypto
