// The many-bytes-at-a-time sums against the plain loop, at every length a frame payload can
// have and at every alignment of its start, with bytes across the whole range.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "util/ByteSum.h"

namespace {

TEST(ByteSum, EveryLengthAndAlignmentMatchesTheByteLoop) {
  std::mt19937 rng(99);
  std::vector<uint8_t> data(600);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  // All 0xFF stretches are the largest sums a lane can meet.
  std::fill(data.begin() + 300, data.begin() + 600, 0xFF);
  for (std::size_t start : {0u, 1u, 7u, 15u, 300u, 301u}) {
    for (uint32_t n = 0; n <= 299; ++n) {
      const uint8_t* p = data.data() + start;
      uint32_t expected = 0;
      for (uint32_t i = 0; i < n; ++i) expected += p[i];
      ASSERT_EQ(orv::ByteSum(p, n), expected) << start << "+" << n;
      ASSERT_EQ(orv::ByteSumWords(p, n), expected) << start << "+" << n;
      std::vector<uint8_t> out(n + 2, 0xA5);
      ASSERT_EQ(orv::CopyAndSum(out.data() + 1, p, n), expected) << start << "+" << n;
      ASSERT_TRUE(std::equal(p, p + n, out.begin() + 1));
      ASSERT_EQ(out.front(), 0xA5);
      ASSERT_EQ(out.back(), 0xA5);
    }
  }
}

}  // namespace
