// The byte ring: overwrite, both read orders and the end of a cursor's walk.
#include <gtest/gtest.h>

#include "protocol/CircularBuffer.h"

namespace orv {
namespace {

TEST(CircularBuffer, CapacityFollowsTheVariantLimit) {
  EXPECT_EQ(CircularBuffer().capacity(), 200);
  EXPECT_EQ(CircularBuffer().readOrder(), CircularBuffer::kOldestFirst);
  EXPECT_EQ(CircularBuffer(10, 20).capacity(), 10);
  EXPECT_EQ(CircularBuffer(10, 20).readOrder(), CircularBuffer::kNewestFirst);
  EXPECT_EQ(CircularBuffer(64, 20).capacity(), 200);
  EXPECT_EQ(CircularBuffer(5000, 5000).capacity(), 5000);
}

TEST(CircularBuffer, OldestFirstWalksOnceAroundFromTheWriteIndex) {
  CircularBuffer ring;
  std::vector<uint8_t> data(250);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(ring.Write(data.data(), 250), 50);  // the first 50 bytes were overwritten
  EXPECT_EQ(ring.totalWritten(), 250);
  auto cursor = ring.MakeCursor();
  uint8_t out[100];
  ASSERT_EQ(ring.Read(out, cursor, 100), 1);
  EXPECT_EQ(out[0], 50);  // the oldest byte still held
  EXPECT_EQ(out[99], 149);
  ASSERT_EQ(ring.Read(out, cursor, 100), 1);
  EXPECT_EQ(out[99], 249);
  EXPECT_EQ(ring.Read(out, cursor, 100), 0);  // back at the start
}

TEST(CircularBuffer, NewestFirstGivesTheNewestBytesInArrivalOrder) {
  CircularBuffer ring(10, 20);
  const uint8_t data[13] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  ring.Write(data, 13);
  auto cursor = ring.MakeCursor();
  uint8_t out[4];
  ASSERT_EQ(ring.Read(out, cursor, 4), 1);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{10, 11, 12, 13}));
  ASSERT_EQ(ring.Read(out, cursor, 4), 1);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{6, 7, 8, 9}));
}

}  // namespace
}  // namespace orv
