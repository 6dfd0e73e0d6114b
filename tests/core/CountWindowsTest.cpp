// The received-message counts and the raw data display, fed by a real decoder and encoders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nmea/NmeaEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "protocol/FrameEncoder.h"
#include "support/Frames.h"
#include "support/RecordingCanvas.h"
#include "support/RecordingChannel.h"
#include "windows/CountWindows.h"

namespace orv {
namespace {

using test::RecordingCanvas;

void Feed(MessageDecoder& d, std::vector<uint8_t> bytes) { d.Decode(bytes.data(), static_cast<uint32_t>(bytes.size())); }

bool Drew(const RecordingCanvas& c, const std::string& text) {
  for (const std::string& t : c.Texts()) {
    if (t.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(CountWindow, BufferReadShareOfTheLargestBlock) {
  EXPECT_EQ(CMsgWnd::BufferReadText(65535), "Buffer read: 65535 (100.0%)");
  EXPECT_EQ(CMsgWnd::BufferReadText(1000), "Buffer read: 1000 (1.5%)");
  EXPECT_EQ(CMsgWnd::BufferReadText(0), "Buffer read: 0 (0.0%)");

  ReceiverDecoder decoder;
  CMsgWnd window{PageContext{}};
  LinkCountWindow(PageLinkTargets{decoder, nullptr, nullptr}, &window);
  std::vector<uint8_t> block(1000, 0);
  const std::vector<uint8_t> frame = test::Frame(20, std::vector<uint8_t>(4, 1));
  std::copy(frame.begin(), frame.end(), block.begin());
  Feed(decoder, block);
  RecordingCanvas c;
  window.Paint(c);
  EXPECT_TRUE(Drew(c, "Buffer read: 1000 (1.5%)"));
  EXPECT_TRUE(Drew(c, "Valid msg:      1"));
  EXPECT_TRUE(Drew(c, "Protocol error: 0"));
  LinkCountWindow(PageLinkTargets{decoder, nullptr, nullptr}, nullptr);
}

TEST(CountWindow, ProtocolErrorFigureCountsRefreshesWithNewErrorsOnly) {
  ReceiverDecoder decoder;
  CMsgWnd window{PageContext{}};
  LinkCountWindow(PageLinkTargets{decoder, nullptr, nullptr}, &window);
  std::vector<uint8_t> bad = test::Frame(20, {1, 2, 3});
  bad.back() ^= 0xFF;
  Feed(decoder, test::Frame(20, {1, 2, 3}));
  EXPECT_EQ(window.protocolErrorFigure(), 0);
  for (int i = 0; i < 3; ++i) Feed(decoder, bad);
  Feed(decoder, test::Frame(20, {1, 2, 3}));
  ASSERT_GE(decoder.counters().protocolErrorCount, 3u);
  EXPECT_EQ(window.protocolErrorFigure(), 1);
  // A new input puts the decoder's count back to zero: no phantom error.
  decoder.ResetCounters();
  Feed(decoder, test::Frame(20, {1, 2, 3}));
  EXPECT_EQ(window.protocolErrorFigure(), 1);
  Feed(decoder, bad);
  Feed(decoder, test::Frame(20, {1, 2, 3}));
  EXPECT_EQ(window.protocolErrorFigure(), 2);
  LinkCountWindow(PageLinkTargets{decoder, nullptr, nullptr}, nullptr);
}

TEST(CountWindow, GridOfMessageNumbersAndBaseFileFlag) {
  uint32_t counts[kCounterSlots] = {};
  counts[0] = 2;
  counts[126] = 5;
  counts[127] = 100;  // not added, not shown
  EXPECT_EQ(CMsgWnd::ValidTotal(counts), 7u);
  DecoderCounters counters;
  CMsgWnd window{PageContext{}};
  RecordingCanvas before;
  window.Paint(before);
  EXPECT_TRUE(before.Texts().empty());  // nothing before the first update
  window.WatchCounters(&counters);
  window.OnCounts(0, counts);
  RecordingCanvas c;
  window.Paint(c);
  EXPECT_TRUE(Drew(c, "126:"));
  EXPECT_FALSE(Drew(c, "127:"));
  EXPECT_TRUE(Drew(c, "Valid msg:      7"));
  window.OnCounts(1, counts);
  RecordingCanvas base;
  window.Paint(base);
  EXPECT_FALSE(Drew(base, "126:"));
  EXPECT_TRUE(Drew(base, "Valid msg:      7"));
}

class Recording : public FrameStatus {
 public:
  bool mainPortOpen() const override { return true; }
  std::string mainPortName() const override { return "/dev/ttyS0"; }
  uint32_t mainBaudRate() const override { return 9600; }
  int protocolSelector() const override { return 1; }
  bool mainRecording() const override { return recording; }
  std::string mainRecordingPath() const override { return recording ? "run1.log" : ""; }
  bool recording = false;
};

TEST(CountWindow, LogFileLineOnlyWhileRecording) {
  Recording status;
  PageContext context;
  context.status = &status;
  CMsgWnd window(context);
  uint32_t counts[kCounterSlots] = {};
  window.OnCounts(0, counts);
  RecordingCanvas off;
  window.Paint(off);
  EXPECT_FALSE(Drew(off, "Log file:"));
  status.recording = true;
  RecordingCanvas on;
  window.Paint(on);
  EXPECT_TRUE(Drew(on, "Log file:      run1.log"));
}

struct RawDisplay : ::testing::Test {
  RawDisplay() : encoder(&port), nmeaEncoder(&port) {
    LinkRawDisplay(PageLinkTargets{decoder, &encoder, &nmeaEncoder}, &window);
  }
  ~RawDisplay() override { LinkRawDisplay(PageLinkTargets{decoder, &encoder, &nmeaEncoder}, nullptr); }
  test::RecordingChannel port;
  FrameEncoder encoder;
  NmeaEncoder nmeaEncoder;
  ReceiverDecoder decoder;
  CDisplayMsgWnd window{PageContext{}};
};

TEST_F(RawDisplay, TransmittedRequestsShowTheirMode) {
  encoder.SendRequest(20, kContinuous);
  EXPECT_EQ(CDisplayMsgWnd::TransmittedTitle(window.transmitted()).rfind("Transmitted: 6 Bytes , ID#20 (Continuous)", 0), 0u);
  encoder.SendRequest(20, kOneShot);
  EXPECT_EQ(CDisplayMsgWnd::TransmittedTitle(window.transmitted()).rfind("Transmitted: 6 Bytes , ID#20 (One Shot)", 0), 0u);
  EXPECT_EQ(window.transmitted().rows[0].substr(0, 18), "01 14 EB 00 00 01 ");
  // A frame without an ID byte says neither.
  RawFrameRows none;
  none.Format(nullptr, 0);
  EXPECT_EQ(CDisplayMsgWnd::TransmittedTitle(none).find('('), std::string::npos);
  nmeaEncoder.SendQuery("GGA");
  EXPECT_EQ(window.transmitted().length, 19);  // "$PQTLG,004,GGA*hh" CR LF
  EXPECT_EQ(window.transmitted().rows[0].substr(0, 6), "24 50 ");
}

TEST_F(RawDisplay, ReceivedFramesInHexadecimal) {
  Feed(decoder, test::Frame(0x94, {}));
  EXPECT_EQ(CDisplayMsgWnd::ReceivedTitle(window.received()), "Received: 6 Bytes , ID#-108");
  const std::string& row0 = window.received().rows[0];
  ASSERT_EQ(row0.size(), 60u);
  EXPECT_EQ(row0.find_first_of(' ', 0), 2u);
  EXPECT_EQ(row0.substr(18), std::string(42, ' '));
  EXPECT_EQ(row0.substr(0, 9), "01 94 6B ");
  for (int r = 1; r < RawFrameRows::kRows; ++r) EXPECT_EQ(window.received().rows[r], std::string(60, ' '));

  // 149 bytes: the title gives them all, the rows hold the first 140 and no more.
  Feed(decoder, test::Frame(21, std::vector<uint8_t>(143, 0xAB)));
  EXPECT_EQ(CDisplayMsgWnd::ReceivedTitle(window.received()), "Received: 149 Bytes , ID#21");
  for (const std::string& row : window.received().rows) EXPECT_EQ(row.size(), 60u);
  EXPECT_EQ(window.received().rows[6].substr(57), "AB ");

  RecordingCanvas c;
  window.Paint(c);
  EXPECT_TRUE(Drew(c, "Received: 149 Bytes , ID#21"));
  EXPECT_FALSE(Drew(c, "Transmitted"));  // nothing sent yet: only the received side shows
}

TEST_F(RawDisplay, LongSentencesAndOddLengthsStayInsideTheRows) {
  RawFrameRows side;
  std::vector<uint8_t> sentence(2048, 'A');
  side.Format(sentence.data(), 2048);
  EXPECT_EQ(side.length, 2048);
  for (const std::string& row : side.rows) EXPECT_EQ(row, [] {
      std::string s;
      for (int i = 0; i < 20; ++i) s += "41 ";
      return s;
    }());
  side.Format(sentence.data(), 1);
  EXPECT_EQ(side.idByte, 0);
  EXPECT_EQ(side.rows[0].substr(0, 3), "41 ");
  side.Format(nullptr, 5);
  EXPECT_EQ(side.length, 0);
  EXPECT_EQ(side.rows[0], std::string(60, ' '));
}

}  // namespace
}  // namespace orv
