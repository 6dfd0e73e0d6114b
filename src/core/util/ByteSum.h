// The arithmetic sum of a run of bytes, as frame checksums add them, taken many bytes at a time.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ORV_BYTESUM_AVX512 1
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

#if defined(ORV_BYTESUM_AVX512)
// Whether the processor has the 64-byte vectors with byte masks that the sums below use; asked
// once, when the program starts.
inline const bool kHasByteMaskedVectors = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("bmi") != 0 &&
         __builtin_cpu_supports("bmi2") != 0;
}();

// Whether the byte-masked paths are taken: where the processor has the vectors, unless turned
// off, as the tests do to check the general paths on such a processor too.
inline bool byteMaskedVectorsOn = kHasByteMaskedVectors;
inline void UseByteMaskedVectors(bool on) { byteMaskedVectorsOn = on && kHasByteMaskedVectors; }

// The masks of the bytes of a run of n, at most 255, in each of the four 64-byte parts it can
// take: read from a table, because computing them costs a chain of moves between mask and
// general registers, and n varies too much from frame to frame for a branch to be foreseen.
alignas(64) inline constexpr auto kPartMasks = [] {
  std::array<std::array<uint64_t, 4>, 256> t{};
  for (uint32_t n = 0; n < 256; ++n) {
    for (uint32_t k = 0; k < 4; ++k) {
      const uint32_t left = n > 64 * k ? n - 64 * k : 0;
      t[n][k] = left >= 64 ? ~0ull : (1ull << left) - 1;
    }
  }
  return t;
}();

[[gnu::target("avx512f,avx512bw,bmi2"), gnu::always_inline]] inline __mmask64 PartMask(uint32_t n, uint32_t k) {
  return kPartMasks[n & 255][k];
}

// The address of the k-th 64 bytes from p, which may lie past the run when none of them is
// read: computed as a number, not as a pointer past its array.
inline const void* PartAt(const uint8_t* p, uint32_t k) {
  return reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + 64 * k);
}

// The byte sums of the k-th 64 bytes of the n at p, in eight 64-bit lanes.
[[gnu::target("avx512f,avx512bw,bmi2"), gnu::always_inline]] inline __m512i MaskedPartSums(const uint8_t* p, uint32_t n,
                                                                                          uint32_t k) {
  return _mm512_sad_epu8(_mm512_maskz_loadu_epi8(PartMask(n, k), PartAt(p, k)), _mm512_setzero_si512());
}

// The same, the bytes copied to `out` on the way: a store under a mask writes only the bytes
// the mask keeps.
[[gnu::target("avx512f,avx512bw,bmi2"), gnu::always_inline]] inline __m512i MaskedPartCopySums(uint8_t* out,
                                                                                              const uint8_t* p,
                                                                                              uint32_t n, uint32_t k) {
  const __mmask64 keep = PartMask(n, k);
  const __m512i v = _mm512_maskz_loadu_epi8(keep, PartAt(p, k));
  _mm512_mask_storeu_epi8(const_cast<void*>(PartAt(out, k)), keep, v);
  return _mm512_sad_epu8(v, _mm512_setzero_si512());
}

// Eight 64-bit lanes added into one.
[[gnu::target("avx512f,avx512bw,bmi2"), gnu::always_inline]] inline uint32_t AddLanes(__m512i acc) {
  // The masked extracts: the plain ones trip GCC 12's uninitialized warning in its own header.
  const __m256i half = _mm256_add_epi64(_mm512_maskz_extracti64x4_epi64(0xFF, acc, 0),
                                        _mm512_maskz_extracti64x4_epi64(0xFF, acc, 1));
  const __m128i quarter = _mm_add_epi64(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(quarter)) + static_cast<uint32_t>(_mm_extract_epi32(quarter, 2));
}

// The sum of at most 255 bytes with 64-byte vectors, four of them whatever n is: a load under
// a byte mask reads only the bytes the mask keeps, so none past p + n is touched, and no
// branch depends on n.
[[gnu::target("avx512f,avx512bw,bmi2")]] inline uint32_t ByteSumMasked255(const uint8_t* p, uint32_t n) {
  return AddLanes(_mm512_add_epi64(_mm512_add_epi64(MaskedPartSums(p, n, 0), MaskedPartSums(p, n, 1)),
                                   _mm512_add_epi64(MaskedPartSums(p, n, 2), MaskedPartSums(p, n, 3))));
}

// CopyAndSum for at most 255 bytes, in the same way.
[[gnu::target("avx512f,avx512bw,bmi2")]] inline uint32_t CopyAndSumMasked255(uint8_t* out, const uint8_t* p, uint32_t n) {
  return AddLanes(
      _mm512_add_epi64(_mm512_add_epi64(MaskedPartCopySums(out, p, n, 0), MaskedPartCopySums(out, p, n, 1)),
                       _mm512_add_epi64(MaskedPartCopySums(out, p, n, 2), MaskedPartCopySums(out, p, n, 3))));
}
#else
inline void UseByteMaskedVectors(bool) {}
#endif

// The sum of a frame payload, at most 255 bytes.
inline uint32_t PayloadSum(const uint8_t* p, uint32_t n) {
#if defined(ORV_BYTESUM_AVX512)
  if (byteMaskedVectorsOn) return ByteSumMasked255(p, n);
#endif
  return ByteSum(p, n);
}

// CopyAndSum of a frame payload or a part of one, at most 255 bytes.
inline uint32_t PayloadCopyAndSum(uint8_t* out, const uint8_t* p, uint32_t n) {
#if defined(ORV_BYTESUM_AVX512)
  if (byteMaskedVectorsOn) return CopyAndSumMasked255(out, p, n);
#endif
  return CopyAndSum(out, p, n);
}

}  // namespace orv
