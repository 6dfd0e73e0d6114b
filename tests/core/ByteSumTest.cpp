// The many-bytes-at-a-time sums against the plain loop, at every length a frame payload can
// have and at every alignment of its start, with bytes across the whole range.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

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

#if defined(ORV_BYTESUM_AVX512)
// Two pages, the second unreadable: a run placed to end at the boundary shows that a masked
// load or store touches no byte past the run, since one would fault.
class GuardedPages {
 public:
  GuardedPages() {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* m = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = m == MAP_FAILED ? nullptr : static_cast<uint8_t*>(m);
    if (base_ != nullptr) mprotect(base_ + page_, page_, PROT_NONE);
  }
  ~GuardedPages() {
    if (base_ != nullptr) munmap(base_, 2 * page_);
  }
  uint8_t* EndingAtGuard(std::size_t n) const { return base_ + page_ - n; }
  bool ok() const { return base_ != nullptr; }

 private:
  std::size_t page_ = 0;
  uint8_t* base_ = nullptr;
};

TEST(ByteSum, MaskedVectorSumsMatchTheByteLoopAndStayInsideTheRun) {
  if (!orv::kHasByteMaskedVectors) GTEST_SKIP() << "the processor has no byte-masked vectors";
  GuardedPages in, out;
  ASSERT_TRUE(in.ok() && out.ok());
  std::mt19937 rng(5);
  for (uint32_t n = 0; n <= 255; ++n) {
    uint8_t* p = in.EndingAtGuard(n);
    // Random bytes, and all 0xFF for the largest sums.
    for (uint32_t i = 0; i < n; ++i) p[i] = n % 3 == 0 ? 0xFF : static_cast<uint8_t>(rng());
    uint32_t expected = 0;
    for (uint32_t i = 0; i < n; ++i) expected += p[i];
    ASSERT_EQ(orv::ByteSumMasked255(p, n), expected) << n;
    ASSERT_EQ(orv::PayloadSum(p, n), expected) << n;
    uint8_t* q = out.EndingAtGuard(n);
    // The byte before the copy must stay as it was.
    q[-1] = 0xA5;
    ASSERT_EQ(orv::CopyAndSumMasked255(q, p, n), expected) << n;
    ASSERT_TRUE(std::equal(p, p + n, q)) << n;
    ASSERT_EQ(q[-1], 0xA5) << n;
  }
}
#endif

}  // namespace
