// The receive state table: framing, validation, counters and the bulk paths, checked against
// a plain byte-by-byte form of the same table.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "nmea/ReceiverDecoder.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "support/RecordingChannel.h"
#include "util/ByteSum.h"

namespace orv {
namespace {

using test::Bytes;
using test::Frame;
using test::Hex;
using test::Sentence;

struct Event {
  uint64_t offset;
  std::string text;  // frame bytes or sentence characters
  bool operator==(const Event&) const = default;
};

class EventLog : public DecodeObserver {
 public:
  void OnFrame(uint64_t offset, const uint8_t* frame, int length) override {
    events.push_back({offset, std::string(reinterpret_cast<const char*>(frame), static_cast<std::size_t>(length))});
  }
  void OnSentence(uint64_t offset, const char* sentence, int length, int) override {
    events.push_back({offset, std::string(sentence, static_cast<std::size_t>(length))});
  }
  std::vector<Event> events;
};

struct Result {
  uint32_t valid = 0, protocolErrors = 0, sentences = 0, nmeaErrors = 0;
  std::vector<Event> events;
  std::vector<std::string> shown;  // what the raw display was handed
  int state = 0;                   // the state after the last byte
  bool operator==(const Result&) const = default;
};

// The state table one byte at a time over a whole stream held in one block, with the
// complement rewind as an index step back.
Result Reference(const std::vector<uint8_t>& in, bool binary) {
  Result r;
  std::vector<uint8_t> buf(2048);
  std::size_t bp = 0, sentenceStart = 0;
  int state = 0, remaining = 0, sentenceLen = 0;
  uint16_t sum = 0;
  auto sentenceDone = [&] {
    ++r.sentences;
    r.events.push_back({sentenceStart, std::string(buf.begin(), buf.begin() + sentenceLen)});
  };
  auto start = [&](std::size_t at) {
    bp = 0;
    buf[0] = '$';
    state = 7;
    sentenceStart = at;
  };
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (bp > 2047) {
      bp = 0;
      ++r.protocolErrors;
      state = 0;
    }
    const uint8_t b = in[i];
    switch (state) {
      case 0:
        if (binary && b == 1) { bp = 0; buf[0] = 1; sum = 1; state = 1; }
        if (!binary && b == '$') start(i);
        break;
      case 1: sum = static_cast<uint16_t>(sum + b); buf[bp] = b; state = 2; break;
      case 2:
        sum = static_cast<uint16_t>(sum + b); buf[bp] = b;
        if (static_cast<uint8_t>(~buf[2]) == buf[1]) state = 3; else { state = 0; i -= 2; }
        break;
      case 3: remaining = b; sum = static_cast<uint16_t>(sum + b); buf[bp] = b; state = b ? 4 : 5; break;
      case 4: sum = static_cast<uint16_t>(sum + b); buf[bp] = b; if (--remaining == 0) state = 5; break;
      case 5: buf[bp] = b; state = 6; break;
      case 6: {
        buf[bp] = b;
        const int len = buf[3] + 6;
        if ((buf[bp - 1] | (buf[bp] << 8)) == sum) {
          ++r.valid;
          r.events.push_back({i + 1 - static_cast<std::size_t>(len), std::string(buf.begin(), buf.begin() + len)});
          r.shown.push_back(r.events.back().text);
        } else {
          ++r.protocolErrors;
        }
        state = 0;
        break;
      }
      case 7: if (b == '$') { start(i); break; } buf[bp] = b; sum = b; state = 9; break;
      case 8: if (!binary && b == '$') start(i); break;
      case 9: if (b == '$') { start(i); break; } buf[bp] = b; if (b == '*') state = 10; else sum ^= b; break;
      case 10: if (b == '$') { start(i); break; } buf[bp] = b; state = 11; break;
      case 11: {
        if (b == '$') { start(i); break; }
        buf[bp] = b;
        const char* hex = "0123456789ABCDEF";
        if (buf[bp - 1] == hex[(sum >> 4) & 15] && b == hex[sum & 15]) {
          sentenceLen = static_cast<int>(bp) + 1;
          r.shown.emplace_back(buf.begin(), buf.begin() + sentenceLen);
          state = 12;
        } else {
          ++r.nmeaErrors;
          state = 8;
        }
        break;
      }
      case 12:
        if (b == '\n') { sentenceDone(); state = 8; }
        else if (b == '$') { sentenceDone(); start(i); }
        else { buf[bp] = b; state = 13; }
        break;
      case 13:
        if (b == '$') { sentenceDone(); start(i); }
        else { buf[bp] = b; sentenceDone(); state = 8; }
        break;
    }
    ++bp;
  }
  r.state = state;
  return r;
}

// Feeds the stream in blocks of the given sizes (cycled), each with its spare byte.
Result Feed(const std::vector<uint8_t>& in, bool binary, const std::vector<std::size_t>& blocks) {
  ReceiverDecoder d;
  d.SetProtocolSelector(binary ? 1 : 0);
  EventLog log;
  d.SetObserver(&log);
  test::RecordingRawDisplay raw;
  d.SetRawDisplay(&raw);
  std::size_t pos = 0, k = 0;
  while (pos < in.size()) {
    const std::size_t n = std::min(blocks[k++ % blocks.size()], in.size() - pos);
    std::vector<uint8_t> block(in.begin() + static_cast<long>(pos), in.begin() + static_cast<long>(pos + n));
    block.push_back(0);
    EXPECT_EQ(d.Decode(block.data(), static_cast<uint32_t>(n)), n);
    EXPECT_TRUE(d.readyForInput());
    pos += n;
  }
  const auto& c = d.counters();
  Result r{c.validMessageCount, c.protocolErrorCount, c.nmeaSentenceCount, c.nmeaChecksumErrorCount, log.events,
           {}, d.state()};
  for (const auto& shown : raw.received) r.shown.emplace_back(shown.begin(), shown.end());
  return r;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(MessageDecoder, FalseStartRescansFromTheIdByte) {
  const auto in = Hex("01 01 14 EB 00 00 01");
  const Result r = Feed(in, true, {in.size()});
  EXPECT_EQ(r.valid, 1u);
  EXPECT_EQ(r.protocolErrors, 0u);
  ASSERT_EQ(r.events.size(), 1u);
  EXPECT_EQ(r.events[0].offset, 1u);
  EXPECT_EQ(r, Reference(in, true));
}

// The frame paths for processors with byte-masked vectors and the general ones: each test
// below runs twice, the first time without them (a no-op where the processor lacks them).
class BothFramePaths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { orv::UseByteMaskedVectors(GetParam()); }
  void TearDown() override { orv::UseByteMaskedVectors(true); }
};
INSTANTIATE_TEST_SUITE_P(MessageDecoder, BothFramePaths, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "masked" : "general"; });

TEST_P(BothFramePaths, EverySplitOfAFrameAndOfNoiseGivesTheUnsplitResult) {
  std::vector<uint8_t> payload(40);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
  // Noise with false start bytes: a start byte followed by a bad complement, a start byte as
  // the ID byte, and a frame whose checksum is wrong.
  auto bad = Frame(21, {1, 2, 3});
  bad.back() ^= 0xFF;
  const auto in = Concat({Hex("55 01 33 01 01 14 EB 00 00 01 01"), bad, Frame(0x94, payload), Hex("01"), Frame(20, {})});
  const Result whole = Reference(in, true);
  EXPECT_EQ(whole.valid, 3u);
  EXPECT_EQ(whole.protocolErrors, 1u);
  for (std::size_t split = 1; split < in.size(); ++split) {
    EXPECT_EQ(Feed(in, true, {split, in.size()}), whole) << "split at " << split;
  }
  for (std::size_t size = 1; size <= 7; ++size) EXPECT_EQ(Feed(in, true, {size}), whole) << size;
}

TEST_P(BothFramePaths, RandomStreamsMatchTheByteByByteTable) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 40; ++round) {
    const bool binary = round % 2 == 0;
    std::vector<uint8_t> in;
    while (in.size() < 6000) {
      const int kind = static_cast<int>(rng() % 6);
      if (kind == 0) {
        for (int i = static_cast<int>(rng() % 30); i > 0; --i) in.push_back(static_cast<uint8_t>(rng() % 4));
      } else if (kind == 1 || !binary) {
        // Sentences of every length up to past the buffer's restart point, with the faults
        // and odd line ends the in-place path leaves to the steps.
        std::string body = "GPGGA,1234" + std::to_string(rng() % 1000);
        const uint32_t longer = rng() % 8;
        const std::size_t extra = longer == 0 ? 2020 + rng() % 40 : (longer < 4 ? rng() % 140 : 0);
        for (std::size_t i = 0; i < extra; ++i) body += ",.09AZ"[rng() % 6];
        if (rng() % 13 == 0) body[0] = '*';
        static const char* const kEnds[] = {"\r\n", "\r\n", "\n", "", "\r", "\n\n", "x$"};
        std::string s = Sentence(body, kEnds[rng() % 7]);
        const std::size_t star = s.rfind('*');
        if (rng() % 9 == 0) {
          for (std::size_t i = star + 1; i < star + 3; ++i) s[i] = static_cast<char>(std::tolower(s[i]));
        }
        if (rng() % 13 == 0) s[star + 1 + rng() % 2] = "0F$*"[rng() % 4];
        if (rng() % 5 == 0) s[s.size() / 2] = '$';
        if (rng() % 7 == 0) s = s.substr(0, rng() % s.size());
        in.insert(in.end(), s.begin(), s.end());
      } else {
        std::vector<uint8_t> p(rng() % 256);
        for (auto& b : p) b = static_cast<uint8_t>(rng() % 5);
        auto f = Frame(static_cast<uint8_t>(rng()), p);
        if (rng() % 10 == 0) f[rng() % f.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
        if (rng() % 10 == 0) f.resize(rng() % f.size());
        in.insert(in.end(), f.begin(), f.end());
      }
    }
    if (round % 4 == 1) in.insert(in.end(), 5000, 'x');  // long runs: buffer restarts
    const Result expected = Reference(in, binary);
    EXPECT_EQ(Feed(in, binary, {in.size()}), expected) << round;
    EXPECT_EQ(Feed(in, binary, {1000}), expected) << round;
    EXPECT_EQ(Feed(in, binary, {1, 2, 3, 250, 7, 1999}), expected) << round;
    EXPECT_EQ(Feed(in, binary, {61, 64, 65, 97, 2100}), expected) << round;
    // Every split of the stream's start, so that each of its sentences is cut at each place.
    const std::vector<uint8_t> head(in.begin(), in.begin() + 700);
    const Result headExpected = Reference(head, binary);
    for (std::size_t split = 1; split < head.size(); ++split) {
      ASSERT_EQ(Feed(head, binary, {split, head.size()}), headExpected) << round << " split at " << split;
    }
  }
}

TEST(MessageDecoder, CountsAndEmptyPayloadAndBitSevenIds) {
  const auto in = Concat({Frame(0x94, {}), Frame(20, {9}), Frame(0x80 | 45, {1, 2})});
  ReceiverDecoder d;
  std::vector<uint8_t> block = in;
  block.push_back(0);
  d.Decode(block.data(), static_cast<uint32_t>(in.size()));
  EXPECT_EQ(d.counters().validMessageCount, 3u);
  EXPECT_EQ(d.counters().messageCountById[20], 2u);
  EXPECT_EQ(d.counters().messageCountById[45], 1u);
  EXPECT_EQ(d.counters().bytesReadLastCall, in.size());
  EXPECT_EQ(Hex("01 94 6B 00 00 01"), Frame(0x94, {}));
}

TEST(MessageDecoder, TwoThousandFortyEightBytesWithoutAStartByteCountOneError) {
  std::vector<uint8_t> noise(2048, 0x55);
  Result r = Feed(noise, true, {noise.size()});
  EXPECT_EQ(r.protocolErrors, 0u);  // the restart comes before the 2049th byte
  noise.push_back(0x55);
  r = Feed(noise, true, {700});
  EXPECT_EQ(r.protocolErrors, 1u);
  noise.resize(2048 * 3 + 1, 0x55);
  EXPECT_EQ(Feed(noise, false, {333}).protocolErrors, 3u);
}

TEST(MessageDecoder, StopAfterMeasurementReturnsTheOffsetAfterTheFirstBlock) {
  std::vector<uint8_t> meas(11 + 11, 0);
  const auto first = Frame(23, meas);
  const auto in = Concat({Hex("00 00"), first, Frame(23, meas), Frame(20, {})});
  ReceiverDecoder d;
  d.SetStopAfterMeasurement(1);
  std::vector<uint8_t> block = in;
  block.push_back(0);
  const uint32_t used = d.Decode(block.data(), static_cast<uint32_t>(in.size()));
  EXPECT_EQ(used, 2 + first.size());
  EXPECT_FALSE(d.readyForInput());
  EXPECT_TRUE(d.measurementSeen());
  // Not resumed: the next call consumes nothing.
  EXPECT_EQ(d.Decode(block.data() + used, static_cast<uint32_t>(in.size() - used)), 0u);
  d.Resume();
  EXPECT_TRUE(d.readyForInput());
  const uint32_t second = d.Decode(block.data() + used, static_cast<uint32_t>(in.size() - used));
  EXPECT_EQ(second, first.size());
  d.Resume();
  EXPECT_EQ(d.Decode(block.data() + used + second, 6), 6u);
  EXPECT_TRUE(d.readyForInput());
  EXPECT_EQ(d.counters().validMessageCount, 3u);
}

TEST(MessageDecoder, BaseFileFlagCountsMeasurementBlocksUnderTwentyFour) {
  ReceiverDecoder d;
  d.SetBaseFileFlag(1);
  auto in = Frame(0x80 | 23, {0, 0, 0});
  in.push_back(0);
  d.Decode(in.data(), static_cast<uint32_t>(in.size() - 1));
  EXPECT_EQ(d.counters().messageCountById[24], 1u);
  EXPECT_EQ(d.counters().messageCountById[23], 0u);
}

TEST(MessageDecoder, NmeaLineEndsAndChecksumCase) {
  const std::string a = Sentence("GPGGA,1", "\n");
  const std::string b = Sentence("GPGLL,2", "");
  const std::string c = Sentence("GPZDA,3");
  // The checksum of "GPVTG,5" is 4B; sent as "4b" it never matches.
  const std::string in = a + b + c + "$GPVTG,5*4b\r\n" + Sentence("GPVTG,5");
  const Result r = Feed(Bytes(in), false, {in.size()});
  EXPECT_EQ(r.sentences, 4u);
  ASSERT_EQ(r.events.size(), 4u);
  EXPECT_EQ(r.events[0].text, a.substr(0, a.size() - 1));
  EXPECT_EQ(r.events[1].text, b);
  EXPECT_EQ(r.events[1].offset, a.size());
  EXPECT_EQ(r.events[2].text, c.substr(0, c.size() - 2));
  EXPECT_EQ(r.events[3].text, "$GPVTG,5*4B");
  EXPECT_EQ(r.nmeaErrors, 1u);  // lower-case digits never match
}

TEST(MessageDecoder, AProtocolSwitchDropsThePartialItemAndLosesNoFrame) {
  // The receiver is told to change protocol while sentences stream in. Whether the decoder
  // waits after a sentence or is inside a cut one, the first frames must decode at once:
  // not after 2048 swallowed bytes, and not from a start byte found inside a payload.
  const std::vector<uint8_t> payload = {7, 0x01, 0xFE, 2, 0x2A, 9, 9};
  for (const std::string& nmea : {Sentence("GPGGA,1"), Sentence("GPGGA,1") + "$GPGSV,3,1,12,05,4"}) {
    ReceiverDecoder d;
    d.SetProtocolSelector(0);
    std::vector<uint8_t> block(nmea.begin(), nmea.end());
    block.push_back(0);
    d.Decode(block.data(), static_cast<uint32_t>(nmea.size()));
    ASSERT_EQ(d.counters().nmeaSentenceCount, 1u);
    d.SetProtocolSelector(1);
    block = Concat({Frame(45, payload), Frame(20, {3})});
    const auto n = static_cast<uint32_t>(block.size());
    block.push_back(0);
    d.Decode(block.data(), n);
    EXPECT_EQ(d.counters().validMessageCount, 2u) << nmea;
    EXPECT_EQ(d.counters().protocolErrorCount, 0u) << nmea;
    EXPECT_EQ(d.counters().nmeaChecksumErrorCount, 0u) << nmea;
  }
}

TEST(MessageDecoder, ADollarInsideASentenceStartsTheNextOne) {
  const std::string cut = "$GPGGA,12";
  const std::string good = Sentence("GPGSA,A,3");
  const std::string in = cut + "$" + good;  // a cut sentence, then a doubled "$$"
  const Result r = Feed(Bytes(in), false, {in.size()});
  EXPECT_EQ(r.sentences, 1u);
  EXPECT_EQ(r.nmeaErrors, 0u);
  ASSERT_EQ(r.events.size(), 1u);
  EXPECT_EQ(r.events[0].offset, cut.size() + 1);
}

TEST(MessageDecoder, LinksAndPanes) {
  ReceiverDecoder d;
  test::FakeDesktop desk;
  test::RecordingRawDisplay raw;
  d.SetStatusBar(&desk);
  d.SetRawDisplay(&raw);
  desk.SetPaneText(kPanePort, "COM1: 5 msg");
  desk.SetPaneText(kPaneRecording, "LOG: C:x.log 10 bytes");
  struct Writer : LogWriterLink {
    bool WriteBlock(const uint8_t*, uint32_t n) override { return (total += n) > 0; }
    uint32_t total = 0;
  } writer;
  struct Terminal : TerminalLink {
    void ShowText(const char* t, uint32_t n) override { text.assign(t, n + 1); }
    std::string text;
  } terminal;
  d.AttachLogWriter(&writer);
  d.SetTerminal(&terminal);
  auto in = Concat({Frame(20, {1}), Hex("00 01 02")});
  const uint32_t n = static_cast<uint32_t>(in.size());
  in.push_back(0x7F);
  d.Decode(in.data(), n);
  EXPECT_EQ(desk.PaneText(kPanePort), "COM1: 1 msg");
  EXPECT_EQ(desk.PaneText(kPaneRecording), "LOG: C: 10 bytes");
  EXPECT_EQ(writer.total, 10u);
  EXPECT_EQ(terminal.text.size(), 11u);
  EXPECT_EQ(terminal.text.back(), '\0');  // the spare byte holds the terminating zero
  ASSERT_EQ(raw.received.size(), 1u);
  EXPECT_EQ(raw.received[0], Frame(20, {1}));
  desk.SetPaneText(kPanePort, "no colon");
  d.Decode(in.data(), n);
  EXPECT_EQ(desk.PaneText(kPanePort), "no colon");
  d.ResetCounters();
  EXPECT_EQ(d.counters().validMessageCount, 0u);
  EXPECT_EQ(d.counters().bytesLogged, 0u);
}

TEST(MessageDecoder, BlocksAboveTheLimitAreCut) {
  std::vector<uint8_t> big(70000, 0);
  ReceiverDecoder d;
  EXPECT_EQ(d.Decode(big.data(), 69999), 65535u);
  EXPECT_EQ(d.counters().bytesReadLastCall, 65535u);
  EXPECT_EQ(d.Decode(big.data(), 65534), 65534u);
}

}  // namespace
}  // namespace orv
