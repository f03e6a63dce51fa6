// The stirred pool: where output comes from, when it stirs, and that salts differ.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "crypto/RandomPool.h"

namespace orn::crypto {
namespace {

RandomPool Seeded() {
  RandomPool pool;
  unsigned char seed[40];
  for (int i = 0; i < 40; ++i) seed[i] = static_cast<unsigned char>(i * 7 + 1);
  pool.Add(seed, sizeof seed);
  return pool;
}

bool SameState(const RandomPool& a, const RandomPool& b) {
  return memcmp(a.pool, b.pool, sizeof a.pool) == 0 && memcmp(a.stirKey, b.stirKey, sizeof a.stirKey) == 0 &&
         a.addPosition == b.addPosition && a.getPosition == b.getPosition;
}

TEST(RandomPoolTest, OutputComesFromTheUpperPartOfAFreshlyStirredPool) {
  RandomPool pool = Seeded();
  RandomPool reference = Seeded();
  unsigned char out[49];
  pool.GetBytes(out, 49);

  reference.Stir();
  EXPECT_EQ(memcmp(out, reference.pool + 64, 48), 0);  // the stir key part is never handed out
  reference.Stir();                                    // after 48 bytes the pool stirs again
  EXPECT_EQ(out[48], reference.pool[64]);
  EXPECT_EQ(pool.getPosition, 65u);

  const RandomPool before = pool;
  EXPECT_EQ(pool.GetBytes(out, 0), 0);
  EXPECT_EQ(pool.GetBytes(out, -5), 0);
  EXPECT_TRUE(SameState(pool, before));
}

TEST(RandomPoolTest, LongAdditionsWrapAndStirAtThePoolsEnd) {
  unsigned char bytes[300];
  for (int i = 0; i < 300; ++i) bytes[i] = static_cast<unsigned char>(i ^ 0x5c);
  RandomPool once, pieces;
  once.Add(bytes, 300);
  pieces.Add(bytes, 100);
  pieces.Add(bytes + 100, 12);  // reaches the end exactly: no stir yet
  EXPECT_EQ(pieces.addPosition, 112u);
  pieces.Add(bytes + 112, 188);
  EXPECT_TRUE(SameState(once, pieces));
  EXPECT_EQ(once.addPosition, 300u - 224u);
  EXPECT_EQ(once.getPosition, 112u);  // an addition forces a stir before the next output
}

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
