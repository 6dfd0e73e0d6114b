// The arithmetic sum of a run of bytes, as frame checksums add them, taken many bytes at a time.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

// Eight bytes at a time in four 16-bit lanes. A lane gains at most 2 x 255 per word, so the
// lanes are folded into the total every 32 words, before any can overflow.
inline uint32_t ByteSumWords(const uint8_t* p, uint32_t n) {
  constexpr uint64_t kEven = 0x00FF00FF00FF00FFull;
  const auto fold = [](uint64_t lanes) {
    return static_cast<uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) + ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
  };
  uint32_t sum = 0;
  uint32_t i = 0;
  uint64_t lanes = 0;
  for (uint32_t words = 0; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    lanes += (w & kEven) + ((w >> 8) & kEven);
    if (++words == 32) {
      sum += fold(lanes);
      lanes = 0;
      words = 0;
    }
  }
  sum += fold(lanes);
  for (; i < n; ++i) sum += p[i];
  return sum;
}

// Sixteen bytes at a time where the target has SSE2 (every x86-64): the sum of absolute
// differences against zero adds eight bytes into each 64-bit half.
inline uint32_t ByteSum(const uint8_t* p, uint32_t n) {
#if defined(__SSE2__)
  uint32_t i = 0;
  __m128i acc = _mm_setzero_si128();
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), zero));
  }
  if (i < n && n >= 16) {
    // The last 1-15 bytes: the sixteen that end the run, with those already summed masked off.
    alignas(16) static constexpr uint8_t kMask[32] = {0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
                                                      0,    0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
    const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMask + (n - i)));
    acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_and_si128(last, keep), zero));
    i = n;
  }
  uint32_t sum = static_cast<uint32_t>(_mm_cvtsi128_si32(acc)) +
                 static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(acc, 8)));
  for (; i < n; ++i) sum += p[i];
  return sum;
#else
  return ByteSumWords(p, n);
#endif
}

// Copies n bytes to `out` and returns their sum, in one pass over them: a payload is stored
// and added to its frame's checksum together. Copying as it sums keeps the short copies of
// frame payloads from paying a string instruction's start-up cost each.
inline uint32_t CopyAndSum(uint8_t* out, const uint8_t* p, uint32_t n) {
  uint32_t i = 0;
  uint32_t sum = 0;
#if defined(__SSE2__)
  __m128i acc = _mm_setzero_si128();
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    acc = _mm_add_epi64(acc, _mm_sad_epu8(v, zero));
  }
  sum = static_cast<uint32_t>(_mm_cvtsi128_si32(acc)) + static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(acc, 8)));
#endif
  // Whole words (the rest of them where SSE2 took sixteen at a time).
  const uint32_t words = (n - i) / 8 * 8;
  std::memcpy(out + i, p + i, words);
  sum += ByteSumWords(p + i, words);
  i += words;
  for (; i < n; ++i) {
    out[i] = p[i];
    sum += p[i];
  }
  return sum;
}

}  // namespace orv
