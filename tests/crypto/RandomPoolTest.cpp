// The stirred pool: additions in pieces equal one addition, no output of nothing, and salts differ.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "crypto/RandomPool.h"

namespace orn::crypto {
namespace {

bool SameState(const RandomPool& a, const RandomPool& b) {
  return memcmp(a.pool, b.pool, sizeof a.pool) == 0 && memcmp(a.stirKey, b.stirKey, sizeof a.stirKey) == 0 &&
         a.addPosition == b.addPosition && a.getPosition == b.getPosition;
}

// Additions wrap and stir at the pool's end, wherever the pieces end; output follows alike.
TEST(RandomPoolTest, AdditionsInPiecesEqualOneAddition) {
  unsigned char bytes[300], once[49], inPieces[49];
  for (int i = 0; i < 300; ++i) bytes[i] = static_cast<unsigned char>(i ^ 0x5c);
  RandomPool whole, pieces;
  whole.Add(bytes, 300);
  pieces.Add(bytes, 100);
  pieces.Add(bytes + 100, 12);  // reaches the end exactly: no stir yet
  pieces.Add(bytes + 112, 188);
  ASSERT_TRUE(SameState(whole, pieces));
  whole.GetBytes(once, 49);
  pieces.GetBytes(inPieces, 20);
  pieces.GetBytes(inPieces + 20, 29);
  EXPECT_EQ(memcmp(once, inPieces, 49), 0);

  const RandomPool before = whole;
  EXPECT_EQ(whole.GetBytes(once, 0), 0);
  EXPECT_EQ(whole.GetBytes(once, -5), 0);
  EXPECT_TRUE(SameState(whole, before));
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
