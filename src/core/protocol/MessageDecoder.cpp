// The decoder's state table. States 0-6 frame binary messages, 7-13 NMEA sentences:
//
//   0 hunt ─01─> 1 ID ─> 2 ~ID ─ok─> 3 length ─N>0─> 4 payload ─> 5 sum lo ─> 6 sum hi ─> 0
//                             └─mismatch: rescan from the ID byte       └─N=0─┘
//   0/8 hunt ─$─> 7 first char ─> 9 body ─*─> 10 digit ─> 11 digit ─ok─> 12 ─> 13 ─> 8
//
// Every byte, hunted or stored, advances the buffer position; past 2047 the buffer restarts
// and counts a protocol error. A '$' never occurs inside a valid sentence, so one seen in
// states 7 to 13 always starts a new sentence there: the partial one is dropped, and a
// complete one (12, 13: waiting for its line end) is handed on first. A sentence that ends in
// a lone LF is handed on at that LF, so that the next sentence's '$' is never taken for the
// second line-end character.
#include "protocol/MessageDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

#include "protocol/Frame.h"
#include "util/ByteSum.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "util/Format.h"

namespace orv {

namespace {
constexpr uint32_t kMaxBlock = 65535;
constexpr char kHexDigits[] = "0123456789ABCDEF";
// Sixteen 0xFF then sixteen 0: read from 16 - k, the first k bytes of a vector kept.
alignas(16) constexpr uint8_t kLeadMask[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0,
                                               0,    0,    0,    0,    0,    0,    0,    0,    0,    0};
}  // namespace

namespace {
// The payload sums of the generic hunt and of the one built for byte-masked vectors.
template <bool kWide>
[[gnu::always_inline]] inline uint32_t SumAs(const uint8_t* p, uint32_t n) {
#if defined(ORV_BYTESUM_AVX512)
  if constexpr (kWide) return ByteSumMasked255(p, n);
#endif
  return ByteSum(p, n);
}
template <bool kWide>
[[gnu::always_inline]] inline uint32_t CopySumAs(uint8_t* out, const uint8_t* p, uint32_t n) {
#if defined(ORV_BYTESUM_AVX512)
  if constexpr (kWide) return CopyAndSumMasked255(out, p, n);
#endif
  return CopyAndSum(out, p, n);
}
}  // namespace

void MessageDecoder::AttachLogWriter(LogWriterLink* writer) {
  logWriter_ = writer;
  counters_.bytesLogged = 0;
  counters_.loggedCountById.fill(0);
  counters_.highestLoggedId = 0;
}

void MessageDecoder::ResetCounters() {
  counters_.validMessageCount = 0;
  counters_.protocolErrorCount = 0;
  counters_.nmeaSentenceCount = 0;
  counters_.nmeaChecksumErrorCount = 0;
  counters_.bytesLogged = 0;
  counters_.messageCountById.fill(0);
  counters_.nmeaCountBySlot.fill(0);
  state_ = 0;
  flags_.measurementSeen = 0;
}

void MessageDecoder::SetDecodingEnabled(uint32_t on) {
  flags_.decodingEnabled = on ? 1 : 0;
  if (!on) store_.OnDecodingDisabled();
}

void MessageDecoder::RewritePane(int paneId, const char* format, uint32_t value) {
  const std::string text = statusBar_->PaneText(paneId);
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return;
  statusBar_->SetPaneText(paneId, Format(format, text.substr(0, colon + 1).c_str(), value));
}

uint32_t MessageDecoder::Decode(uint8_t* bytes, uint32_t count) {
  flags_.readyForInput = 0;
  if (terminal_ != nullptr && count > 0) {
    bytes[count] = 0;
    terminal_->ShowText(reinterpret_cast<const char*>(bytes), count);
  }
  if (count > kMaxBlock - 1) count = kMaxBlock;
  counters_.bytesReadLastCall = count;

  const uint64_t blockStart = streamPos_;
  uint32_t pos = 0;
  while (pos < count) {
    if (flags_.stopAfterMeasurement == 1 && flags_.measurementSeen == 1) {
      streamPos_ = blockStart + pos;
      LogConsumed(bytes, pos);
      return pos;
    }
    streamPos_ = blockStart + pos;
    if (bufferPos_ > kBufferSize - 1) {
      bufferPos_ = 0;
      ++counters_.protocolErrorCount;
      state_ = 0;
      if (observer_ != nullptr) observer_->OnFault(streamPos_, DecodeObserver::Fault::kOverrun);
    }
    // The bulk paths cover the states where most bytes are spent; each stops where a single
    // step would do anything other than store, sum and advance. They are chosen by tests, not a
    // switch: the states follow each other in a pattern that conditional branches learn, where
    // the jump of a switch was mispredicted at most blocks.
    uint32_t used = 0;
    const bool binary = flags_.protocolSelector != 0;
    if (state_ == 0 || state_ == 8) {
      if (!binary) {
        used = HuntSentence(bytes + pos, count - pos);
      } else if (state_ == 0) {
        used = HuntFrames(bytes + pos, count - pos, blockStart + pos);
      } else {
        used = std::min(count - pos, static_cast<uint32_t>(kBufferSize) - bufferPos_);
        bufferPos_ += used;
      }
    } else if (state_ == 4) {
      used = CopyPayload(bytes + pos, count - pos);
    } else if (state_ == 5) {
      used = FrameSum(bytes + pos, count - pos);
    } else if (state_ == 9) {
      used = ScanSentence(bytes + pos, count - pos);
      if (state_ == 9 && pos + used < count && bytes[pos + used] == '*') {
        used += SentenceTail(bytes + pos + used, count - pos - used);
      }
    }
    if (used > 0) {
      pos += used;
      continue;
    }
    const int stateBefore = state_;
    Step(bytes[pos]);
    ++pos;
    if (stateBefore == 2 && state_ == 0) {
      // Complement mismatch: the start byte was noise. Scanning restarts at the byte after
      // it, the ID byte, which the buffer still holds even when it came in an earlier block.
      const uint8_t id = buffer_[1];
      const uint8_t complement = buffer_[2];
      for (uint8_t b : {id, complement}) {
        if (bufferPos_ > kBufferSize - 1) {
          bufferPos_ = 0;
          ++counters_.protocolErrorCount;
          state_ = 0;
          if (observer_ != nullptr) observer_->OnFault(streamPos_, DecodeObserver::Fault::kOverrun);
        }
        Step(b);
      }
    }
  }
  streamPos_ = blockStart + pos;
  flags_.readyForInput = 1;
  LogConsumed(bytes, pos);
  return pos;
}

// The recorder gets what was consumed, not what was offered: a decoder stopped mid-block is
// handed the rest again later, and a recording must not hold those bytes twice.
void MessageDecoder::LogConsumed(const uint8_t* bytes, uint32_t count) {
  if (logWriter_ == nullptr) return;
  if (logWriter_->WriteBlock(bytes, count)) counters_.bytesLogged += count;
  if (statusBar_ == nullptr) return;
  const std::string text = statusBar_->PaneText(kPaneRecording);
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return;
  statusBar_->SetPaneText(kPaneRecording, text.substr(0, colon + 1) + " " + std::to_string(counters_.bytesLogged) + " bytes");
}

uint32_t MessageDecoder::HuntBinary(const uint8_t* bytes, uint32_t n) {
  const uint32_t limit = std::min(n, static_cast<uint32_t>(kBufferSize) - bufferPos_);
  // On a busy line the next frame starts at once: no search for it.
  const void* hit = limit > 0 && bytes[0] == 0x01 ? bytes : std::memchr(bytes, 0x01, limit);
  if (hit == nullptr) {
    bufferPos_ += limit;
    return limit;
  }
  const uint32_t i = static_cast<uint32_t>(static_cast<const uint8_t*>(hit) - bytes);
  buffer_[0] = 0x01;
  checksum_ = 1;
  state_ = 1;
  bufferPos_ = 1;
  return i + 1;
}

// The hunt, and when it finds a start byte, the frame there; then, as long as the next frame
// follows at once, that one too, without going back to the loop in Decode. `at` is the stream
// position of bytes[0].
template <bool kWide>
[[gnu::always_inline]] inline uint32_t MessageDecoder::HuntFramesAs(const uint8_t* bytes, uint32_t n, uint64_t at) {
  uint32_t done = HuntBinary(bytes, n);
  while (state_ == 1) {
    const uint32_t start = done - 1;
    const uint32_t rest = WholeFrame<kWide>(bytes + start, n - start, at + start);
    done += rest;
    // Left to the steps, or cut by the end of the block.
    if (rest == 0 || state_ != 0) break;
    // The loop in Decode does the stop after a measurement and whatever follows a change of
    // the flags (which the stores are handed). The buffer cannot restart here: a frame leaves
    // its position at 261 at most.
    if (done == n || bytes[done] != kFrameStart || flags_.protocolSelector != 1 ||
        (flags_.stopAfterMeasurement == 1 && flags_.measurementSeen == 1)) {
      break;
    }
    // What the hunt does with a start byte at its first byte.
    buffer_[0] = kFrameStart;
    checksum_ = 1;
    state_ = 1;
    bufferPos_ = 1;
    ++done;
  }
  return done;
}

uint32_t MessageDecoder::HuntFrames(const uint8_t* bytes, uint32_t n, uint64_t at) {
#if defined(ORV_BYTESUM_AVX512)
  if (byteMaskedVectorsOn) return HuntFramesWide(bytes, n, at);
#endif
  return HuntFramesAs<false>(bytes, n, at);
}

#if defined(ORV_BYTESUM_AVX512)
// The same hunt built for the processors with byte-masked vectors, so that the payload sums
// are part of its loop and not a call per frame.
[[gnu::target("avx512f,avx512bw,bmi2")]] uint32_t MessageDecoder::HuntFramesWide(const uint8_t* bytes, uint32_t n,
                                                                                  uint64_t at) {
  return HuntFramesAs<true>(bytes, n, at);
}
#endif

// A frame whose every byte is in the block is checked where it lies, without the byte steps
// and without a copy into the buffer: the usual case on a busy line. The state afterwards is the
// one the steps would leave (hunting, the buffer position just past the frame). A frame that
// fails a check is left to the steps, which give it the full rules (the rescan from the ID byte,
// the checksum error). A frame cut off by the end of the block after its length byte is stored
// and summed as far as it goes, as the steps would leave it. Returns the bytes consumed after
// the start byte.
template <bool kWide>
[[gnu::always_inline]] inline uint32_t MessageDecoder::WholeFrame(const uint8_t* frame, uint32_t n, uint64_t at) {
  if (n < 4 || static_cast<uint8_t>(~frame[2]) != frame[1]) return 0;
  const uint32_t payload = frame[3];
  const uint32_t length = payload + 6;
  if (n < length) {
    const uint32_t stored = std::min(n, payload + 4);
    std::memcpy(buffer_.data(), frame, 4);
    checksum_ = static_cast<uint16_t>(0x01u + frame[1] + frame[2] + frame[3] +
                                      CopySumAs<kWide>(buffer_.data() + 4, frame + 4, stored - 4));
    remaining_ = static_cast<uint8_t>(payload + 4 - stored);
    bufferPos_ = stored;
    state_ = remaining_ == 0 ? 5 : 4;
    if (n > stored) {
      // Only the high byte of the sum is missing.
      buffer_[stored] = frame[stored];
      bufferPos_ = stored + 1;
      state_ = 6;
    }
    return n - 1;
  }
  const uint32_t sum = 0x01u + frame[1] + frame[2] + frame[3] + SumAs<kWide>(frame + 4, payload);
  const uint16_t received = static_cast<uint16_t>(frame[payload + 4] | (frame[payload + 5] << 8));
  if (static_cast<uint16_t>(sum) != received) return 0;
  state_ = 0;
  bufferPos_ = length;
  streamPos_ = at + length - 1;
  if (rawDisplay_ != nullptr) rawDisplay_->OnReceived(frame, static_cast<int>(length));
  OnBinaryMessage(frame);
  return length - 1;
}

uint32_t MessageDecoder::HuntNmea(const uint8_t* bytes, uint32_t n) {
  const uint32_t limit = std::min(n, static_cast<uint32_t>(kBufferSize) - bufferPos_);
  const void* hit = limit > 0 && bytes[0] == '$' ? bytes : std::memchr(bytes, '$', limit);
  if (hit == nullptr) {
    bufferPos_ += limit;
    return limit;
  }
  const uint32_t i = static_cast<uint32_t>(static_cast<const uint8_t*>(hit) - bytes);
  streamPos_ += i;
  StartSentence();
  ++bufferPos_;
  return i + 1;
}

namespace {
#if defined(__SSE2__)
// Sixty-four 0xFF then sixty-four 0: read from 64 - k, the first k bytes of four vectors kept.
alignas(64) constexpr auto kLeadMask64 = [] {
  std::array<uint8_t, 128> m{};
  for (int i = 0; i < 64; ++i) m[static_cast<std::size_t>(i)] = 0xFF;
  return m;
}();

inline __m128i LeadMask64(uint32_t k, int part) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLeadMask64.data() + 64 - k + 16 * part));
}

// One bit per byte of v that is '*' or '$'.
inline uint32_t EndBits(__m128i v) {
  const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('*')), _mm_cmpeq_epi8(v, _mm_set1_epi8('$')));
  return static_cast<uint32_t>(_mm_movemask_epi8(hits));
}
#endif

// The index of the first '*' or '$' in s[from, limit), or limit, and the XOR of the bytes
// before it. Most sentences are shorter than 64 characters: they are found with four vectors
// and no loop, so that the varying sentence length costs no mispredicted branch.
inline uint32_t FindSentenceEnd(const uint8_t* s, uint32_t from, uint32_t limit, uint8_t& x) {
  uint32_t i = from;
#if defined(__SSE2__)
  __m128i x16 = _mm_setzero_si128();
  bool found = false;
  while (i + 64 <= limit) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
    const __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
    const uint64_t bits = EndBits(v0) | static_cast<uint64_t>(EndBits(v1)) << 16 |
                          static_cast<uint64_t>(EndBits(v2)) << 32 | static_cast<uint64_t>(EndBits(v3)) << 48;
    if (bits != 0) {
      const auto k = static_cast<uint32_t>(__builtin_ctzll(bits));
      const __m128i low = _mm_xor_si128(_mm_and_si128(v0, LeadMask64(k, 0)), _mm_and_si128(v1, LeadMask64(k, 1)));
      const __m128i high = _mm_xor_si128(_mm_and_si128(v2, LeadMask64(k, 2)), _mm_and_si128(v3, LeadMask64(k, 3)));
      x16 = _mm_xor_si128(x16, _mm_xor_si128(low, high));
      i += k;
      found = true;
      break;
    }
    x16 = _mm_xor_si128(x16, _mm_xor_si128(_mm_xor_si128(v0, v1), _mm_xor_si128(v2, v3)));
    i += 64;
  }
  // Near the limit: sixteen at a time, the last vector read so that it ends at the limit with
  // the bytes already folded masked off. A sentence too short for that is left to the byte loop.
  while (!found && i < limit && limit >= from + 16) {
    const bool last = i + 16 > limit;
    const uint32_t at = last ? limit - 16 : i;
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    if (last) v = _mm_andnot_si128(LeadMask64(i - at, 0), v);
    const uint32_t bits = EndBits(v);
    if (bits != 0) {
      const auto k = static_cast<uint32_t>(__builtin_ctz(bits));
      x16 = _mm_xor_si128(x16, _mm_and_si128(v, LeadMask64(k, 0)));
      i = at + k;
      found = true;
    } else {
      x16 = _mm_xor_si128(x16, v);
      i = at + 16;
    }
  }
  x16 = _mm_xor_si128(x16, _mm_srli_si128(x16, 8));
  x16 = _mm_xor_si128(x16, _mm_srli_si128(x16, 4));
  x16 = _mm_xor_si128(x16, _mm_srli_si128(x16, 2));
  x16 = _mm_xor_si128(x16, _mm_srli_si128(x16, 1));
  auto acc = static_cast<uint8_t>(_mm_cvtsi128_si32(x16));
  if (found) {
    x = acc;
    return i;
  }
#else
  uint8_t acc = 0;
#endif
  for (; i < limit && s[i] != '*' && s[i] != '$'; ++i) acc ^= s[i];
  x = acc;
  return i;
}

// The two checksum digits of each XOR value, as they follow the '*'.
constexpr auto kHexPairs = [] {
  std::array<std::array<uint8_t, 2>, 256> t{};
  for (std::size_t x = 0; x < 256; ++x) {
    t[x] = {static_cast<uint8_t>(kHexDigits[x >> 4]), static_cast<uint8_t>(kHexDigits[x & 0xF])};
  }
  return t;
}();
}  // namespace

// The hunt, and when it finds a '$', the sentence that starts there if it lies whole in the
// block; then, as long as the next sentence follows at once, that one too, without going back
// to the loop in Decode. streamPos_ is the stream position of bytes[0] on entry, as HuntNmea
// expects; it is left at the next byte's position.
//
// A sentence whose every byte up to its line end is in the block is checked where it lies,
// without the byte steps and without a copy into the buffer: the usual case. The sentence
// must end within the buffer's 2048 positions, so that the restart falls where the steps would
// put it. The state afterwards is the one the steps would leave (hunting, the buffer position
// just past the line end). Anything unusual (a '$' before the line end, a bad or lower-case
// checksum, a sentence cut off by the block) is left to the steps from the first '*' or '$', or
// from the byte after the '$' when the address starts with one of them.
//
// Within a run of whole sentences only what the sink, the links and the observer are handed is
// brought up to date at each one (the state, the buffer position, the sentence's offset and
// length, the counters); the stream position is set where the run ends. On a busy line the
// bookkeeping between sentences is a measurable part of the hunt's cost.
uint32_t MessageDecoder::HuntSentence(const uint8_t* bytes, uint32_t n) {
  const uint64_t base = streamPos_;
  const uint32_t first = HuntNmea(bytes, n);
  if (state_ != 7) return first;
  // The '$', which the hunt has taken; buffer_[0] holds it, and no whole sentence writes the
  // buffer.
  uint32_t at = first - 1;
  for (;;) {
    const uint8_t* const s = bytes + at;
    const uint32_t limit = std::min(n - at, static_cast<uint32_t>(kBufferSize));
    uint8_t x = 0;
    const uint32_t star = FindSentenceEnd(s, 1, limit, x);
    bool whole = star >= 2 && star + 4 <= limit && s[star] == '*' &&
                 std::memcmp(kHexPairs[x].data(), s + star + 1, 2) == 0;
    // The line end takes one byte ("\n") or two (any two bytes but '$', "\r\n" as a rule).
    uint32_t length = star + 4;
    if (whole && s[star + 3] != '\n') {
      whole = s[star + 3] != '$' && length < limit && s[star + 4] != '$';
      ++length;
    }
    sentenceStart_ = base + at;
    if (!whole) {
      // What the hunt leaves at a '$'; then the body up to the '*' or '$' (or to the limit) as
      // the steps would leave it: in the buffer, summed, in state 9. The rest is theirs.
      streamPos_ = sentenceStart_;
      state_ = 7;
      bufferPos_ = 1;
      if (star < 2) return at + 1;
      std::memcpy(buffer_.data() + 1, s + 1, star - 1);
      checksum_ = x;
      bufferPos_ = star;
      state_ = 9;
      return at + star;
    }
    state_ = 7;
    checksum_ = x;
    sentenceLength_ = static_cast<int>(star) + 3;
    if (rawDisplay_ != nullptr) rawDisplay_->OnReceived(s, sentenceLength_);
    bufferPos_ = length;
    OnNmeaSentence(s);
    state_ = 8;
    at += length;
    // The loop in Decode does the buffer restart, the stop after a measurement and whatever
    // follows a change of the flags (which the sink is handed).
    if (at == n || bytes[at] != '$' || bufferPos_ > kBufferSize - 1 || flags_.protocolSelector != 0 ||
        (flags_.stopAfterMeasurement == 1 && flags_.measurementSeen == 1)) {
      streamPos_ = base + at;
      return at;
    }
  }
}

uint32_t MessageDecoder::CopyPayload(const uint8_t* bytes, uint32_t n) {
  const uint32_t room = static_cast<uint32_t>(kBufferSize) - bufferPos_;
  const uint32_t k = std::min({n, static_cast<uint32_t>(remaining_), room});
  // The payload holds no frame boundary: it is copied whole and summed many bytes at a time.
  // The sum is taken modulo 2^16, as the byte rule adds each byte to the 16-bit checksum.
  checksum_ = static_cast<uint16_t>(checksum_ + PayloadCopyAndSum(buffer_.data() + bufferPos_, bytes, k));
  remaining_ = static_cast<uint8_t>(remaining_ - k);
  bufferPos_ += k;
  if (remaining_ == 0) state_ = 5;
  return k;
}

// The two sum bytes of a frame whose payload came in an earlier block, taken together as the
// two steps would take them. `bytes` is the low byte, at the stream position streamPos_.
uint32_t MessageDecoder::FrameSum(const uint8_t* bytes, uint32_t n) {
  if (n < 2) return 0;
  buffer_[bufferPos_] = bytes[0];
  buffer_[bufferPos_ + 1] = bytes[1];
  bufferPos_ += 2;
  state_ = 0;
  // The steps report the frame at its last byte.
  ++streamPos_;
  EndFrame();
  return 2;
}

// The frame in the buffer is whole, its last byte at streamPos_: handed on when its sum is
// the one received, counted as an error when not.
void MessageDecoder::EndFrame() {
  const int length = buffer_[3] + 6;
  const uint16_t received = static_cast<uint16_t>(buffer_[length - 2] | (buffer_[length - 1] << 8));
  if (received == checksum_) {
    if (rawDisplay_ != nullptr) rawDisplay_->OnReceived(buffer_.data(), length);
    OnBinaryMessage(buffer_.data());
  } else {
    ++counters_.protocolErrorCount;
    if (observer_ != nullptr) {
      observer_->OnFault(streamPos_ - static_cast<uint64_t>(length - 1), DecodeObserver::Fault::kFrameChecksum);
    }
  }
}

// A sentence's end where all of it is in the block, "*HH\r\n" or "*HH\n" with a good checksum, is taken
// in one go: it leaves the buffer, the counters and the state as the five single steps would.
// Anything else (a bad checksum, a lone LF, a '$' in the tail, the buffer about to restart) is
// left to the steps. Returns the bytes taken.
uint32_t MessageDecoder::SentenceTail(const uint8_t* bytes, uint32_t n) {
  // "*HH\n" takes four steps (the LF is not stored), "*HH\r\n" five.
  if (n < 4) return 0;
  const uint32_t length = bytes[3] == '\n' ? 4 : (n >= 5 && bytes[3] == '\r' && bytes[4] == '\n' ? 5 : 0);
  if (length == 0 || bufferPos_ + length - 1 > static_cast<uint32_t>(kBufferSize) - 1) return 0;
  if (bytes[1] != static_cast<uint8_t>(kHexDigits[(checksum_ >> 4) & 0xF]) ||
      bytes[2] != static_cast<uint8_t>(kHexDigits[checksum_ & 0xF])) {
    return 0;
  }
  std::memcpy(buffer_.data() + bufferPos_, bytes, length == 5 ? 5 : 3);
  sentenceLength_ = static_cast<int>(bufferPos_) + 3;
  if (rawDisplay_ != nullptr) rawDisplay_->OnReceived(buffer_.data(), sentenceLength_);
  bufferPos_ += length;
  OnNmeaSentence(buffer_.data());
  state_ = 8;
  return length;
}

namespace {
// True when any byte of the word equals the byte repeated in `pattern`.
inline bool HasByte(uint64_t word, uint64_t pattern) {
  const uint64_t v = word ^ pattern;
  return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0;
}
}  // namespace

uint32_t MessageDecoder::ScanSentence(const uint8_t* bytes, uint32_t n) {
  const uint32_t limit = std::min(n, static_cast<uint32_t>(kBufferSize) - bufferPos_);
  uint8_t* out = buffer_.data() + bufferPos_;
  uint32_t i = 0;
  uint64_t acc = 0;
#if defined(__SSE2__)
  // Sixteen characters at a time: stored whole, and folded into the XOR checksum up to the
  // first '*' or '$' among them.
  {
    __m128i x16 = _mm_setzero_si128();
    const __m128i star = _mm_set1_epi8('*');
    const __m128i dollar = _mm_set1_epi8('$');
    while (i + 16 <= limit) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
      const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, star), _mm_cmpeq_epi8(v, dollar)));
      if (hits != 0) {
        const int k = __builtin_ctz(static_cast<unsigned>(hits));
        x16 = _mm_xor_si128(x16, _mm_and_si128(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLeadMask + 16 - k))));
        i += static_cast<uint32_t>(k);
        uint64_t halves[2];
        std::memcpy(halves, &x16, 16);
        acc = halves[0] ^ halves[1];
        acc ^= acc >> 32;
        acc ^= acc >> 16;
        acc ^= acc >> 8;
        checksum_ = static_cast<uint8_t>(checksum_ ^ (acc & 0xFF));
        bufferPos_ += i;
        return i;
      }
      x16 = _mm_xor_si128(x16, v);
      i += 16;
    }
    uint64_t halves[2];
    std::memcpy(halves, &x16, 16);
    acc = halves[0] ^ halves[1];
  }
#endif
  // Eight characters at a time while none of them is '*' or '$': they are stored and folded
  // into the XOR checksum as a whole word.
  while (i + 8 <= limit) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if (HasByte(word, 0x2A2A2A2A2A2A2A2Aull) || HasByte(word, 0x2424242424242424ull)) break;
    std::memcpy(out + i, &word, 8);
    acc ^= word;
    i += 8;
  }
  acc ^= acc >> 32;
  acc ^= acc >> 16;
  acc ^= acc >> 8;
  uint8_t x = static_cast<uint8_t>(checksum_ ^ (acc & 0xFF));
  for (; i < limit; ++i) {
    const uint8_t b = bytes[i];
    if (b == '*' || b == '$') break;
    out[i] = b;
    x ^= b;
  }
  checksum_ = x;
  bufferPos_ += i;
  // '*' and '$' are left to the single step.
  return i;
}

void MessageDecoder::StartSentence() {
  bufferPos_ = 0;
  buffer_[0] = '$';
  state_ = 7;
  sentenceStart_ = streamPos_;
}

void MessageDecoder::Step(uint8_t b) {
  uint8_t* const at = &buffer_[bufferPos_];
  switch (state_) {
    case 0:
      if (flags_.protocolSelector) {
        if (b == 0x01) {
          bufferPos_ = 0;
          buffer_[0] = b;
          checksum_ = 1;
          state_ = 1;
        }
      } else if (b == '$') {
        StartSentence();
      }
      break;
    case 1:
      checksum_ = static_cast<uint16_t>(checksum_ + b);
      *at = b;
      state_ = 2;
      break;
    case 2:
      checksum_ = static_cast<uint16_t>(checksum_ + b);
      *at = b;
      state_ = static_cast<uint8_t>(~buffer_[2]) == buffer_[1] ? 3 : 0;
      break;
    case 3:
      remaining_ = b;
      checksum_ = static_cast<uint16_t>(checksum_ + b);
      *at = b;
      state_ = b == 0 ? 5 : 4;
      break;
    case 4:
      checksum_ = static_cast<uint16_t>(checksum_ + b);
      *at = b;
      if (--remaining_ == 0) state_ = 5;
      break;
    case 5:
      *at = b;
      state_ = 6;
      break;
    case 6:
      *at = b;
      state_ = 0;
      EndFrame();
      break;
    case 7:
      if (b == '$') {
        StartSentence();
        break;
      }
      *at = b;
      checksum_ = b;
      state_ = 9;
      break;
    case 8:
      if (flags_.protocolSelector == 0 && b == '$') StartSentence();
      break;
    case 9:
      if (b == '$') {
        StartSentence();
        break;
      }
      *at = b;
      if (b == '*') {
        state_ = 10;
      } else {
        checksum_ ^= b;
      }
      break;
    case 10:
      if (b == '$') {
        StartSentence();
        break;
      }
      *at = b;
      state_ = 11;
      break;
    case 11: {
      if (b == '$') {
        StartSentence();
        break;
      }
      *at = b;
      const char hi = kHexDigits[(checksum_ >> 4) & 0xF];
      const char lo = kHexDigits[checksum_ & 0xF];
      if (buffer_[bufferPos_ - 1] == static_cast<uint8_t>(hi) && b == static_cast<uint8_t>(lo)) {
        sentenceLength_ = static_cast<int>(bufferPos_) + 1;
        if (rawDisplay_ != nullptr) rawDisplay_->OnReceived(buffer_.data(), sentenceLength_);
        state_ = 12;
      } else {
        ++counters_.nmeaChecksumErrorCount;
        if (observer_ != nullptr) observer_->OnFault(sentenceStart_, DecodeObserver::Fault::kSentenceChecksum);
        state_ = 8;
      }
      break;
    }
    case 12:
      if (b == '\n') {
        OnNmeaSentence(buffer_.data());
        state_ = 8;
      } else if (b == '$') {
        OnNmeaSentence(buffer_.data());
        StartSentence();
      } else {
        *at = b;
        state_ = 13;
      }
      break;
    case 13:
      if (b == '$') {
        OnNmeaSentence(buffer_.data());
        StartSentence();
      } else {
        *at = b;
        OnNmeaSentence(buffer_.data());
        state_ = 8;
      }
      break;
    default:
      state_ = 0;
      break;
  }
  ++bufferPos_;
}

void MessageDecoder::OnBinaryMessage(const uint8_t* frame) {
  int n = frame[1] & 0x7F;
  if (flags_.baseFileFlag == 1 && n == 23) n = 24;
  ++counters_.messageCountById[static_cast<std::size_t>(n)];
  ++counters_.validMessageCount;
  if (flags_.loggingCountOn == 1) {
    ++counters_.loggedCountById[static_cast<std::size_t>(n)];
    counters_.highestLoggedId = std::max(counters_.highestLoggedId, static_cast<uint8_t>(n));
    if (autoLog_ != nullptr) autoLog_->OnLoggedCounts(counters_.loggedCountById.data(), counters_.highestLoggedId);
  }
  RefreshCountWindows();
  if (statusBar_ != nullptr) RewritePane(kPanePort, "%s %u msg", counters_.validMessageCount);
  const int length = frame[3] + 6;
  store_.OnBinaryMessage(n, std::span<const uint8_t>(frame + 4, frame[3]), flags_, boxes_);
  if (observer_ != nullptr) observer_->OnFrame(streamPos_ - static_cast<uint64_t>(length - 1), frame, length);
}

[[gnu::always_inline]] inline void MessageDecoder::OnNmeaSentence(const uint8_t* text) {
  ++counters_.nmeaSentenceCount;
  if (statusBar_ != nullptr) RewritePane(kPanePort, "%s %u msg", counters_.nmeaSentenceCount);
  const char* sentence = reinterpret_cast<const char*>(text);
  const int slot =
      nmeaSink_ != nullptr ? nmeaSink_->OnSentence(sentence, sentenceLength_, flags_, counters_, boxes_) : -1;
  RefreshCountWindows();
  if (observer_ != nullptr) observer_->OnSentence(sentenceStart_, sentence, sentenceLength_, slot);
}

}  // namespace orv
