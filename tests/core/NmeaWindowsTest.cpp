// The NMEA windows fed through the decoder: what each line shows, blanks for empty fields,
// names looked up only inside their tables, the popups' request sentences and the two
// dialogs, and the sentence-count page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "ids/CommandIds.h"
#include "nmea/NmeaEncoder.h"
#include "nmea/ReceiverDecoder.h"
#include "support/FakeDesktop.h"
#include "support/Frames.h"
#include "support/RecordingCanvas.h"
#include "support/RecordingChannel.h"
#include "windows/NmeaWindows.h"
#include "windows/PageText.h"

namespace orv {
namespace {

using test::RecordingCanvas;

// The text drawn at (x, y), trailing blanks removed; "<none>" when nothing was drawn there.
std::string TextAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = "text " + std::to_string(x) + " " + std::to_string(y) + " ";
  std::string found = "<none>";
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  while (!found.empty() && found.back() == ' ') found.pop_back();
  return found;
}
// The raw text at (x, y), blanks kept.
std::string RawTextAt(const RecordingCanvas& c, int x, int y) {
  const std::string prefix = "text " + std::to_string(x) + " " + std::to_string(y) + " ";
  std::string found;
  for (const std::string& t : c.Texts()) {
    if (t.rfind(prefix, 0) == 0) found = t.substr(prefix.size());
  }
  return found;
}

std::string Sent(const test::RecordingChannel& port, std::size_t i) {
  if (i >= port.sent.size()) return "<nothing>";
  return std::string(port.sent[i].begin(), port.sent[i].end());
}

struct NmeaWindows : ::testing::Test {
  NmeaWindows() : encoder(&port) {
    decoder.SetProtocolSelector(0);
    decoder.SetTimeGateOpen(1);
    context.nmeaEncoder = &encoder;
    context.forms = &desk;
    context.boxes = &desk;
  }
  // Opens the page of `command` and links it into the decoder as the frame would.
  Page* Open(int command) {
    for (const PageKind& kind : NmeaPageKinds()) {
      if (kind.command != command) continue;
      pages.push_back(kind.make(context));
      kind.link(PageLinkTargets{decoder, nullptr, &encoder}, pages.back().get());
      return pages.back().get();
    }
    return nullptr;
  }
  void Feed(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    decoder.Decode(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  RecordingCanvas Painted(Page* page) {
    RecordingCanvas c;
    page->Paint(c);
    return c;
  }
  ~NmeaWindows() override {
    for (const PageKind& kind : NmeaPageKinds()) kind.link(PageLinkTargets{decoder, nullptr, &encoder}, nullptr);
  }

  test::RecordingChannel port;
  NmeaEncoder encoder;
  ReceiverDecoder decoder;
  test::FakeDesktop desk;
  PageContext context;
  std::vector<std::unique_ptr<Page>> pages;
};

TEST_F(NmeaWindows, RecommendedMinimumLinesAndFormats) {
  Page* rmc = Open(cmd::kWndNmeaRmc);
  ASSERT_NE(rmc, nullptr);
  EXPECT_EQ(rmc->font(), (FontSpec{kFaceSansSerif, 10, 800}));
  Feed(test::Sentence("GPRMC,090503.5,A,4807.038,N,01131.000,E,022.4,084.4,050601,003.1,W"));
  RecordingCanvas c = Painted(rmc);
  const char* labels[] = {"UTC:", "Status:", "Latitude:", "Longitude:", "Speed:", "Heading", "Date:"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(TextAt(c, 10, 20 + 15 * i), labels[i]);
  EXPECT_EQ(TextAt(c, 100, 20), " 9: 5: 3.50");
  EXPECT_EQ(TextAt(c, 100, 35), "A");
  EXPECT_EQ(TextAt(c, 100, 50), "48\xC2\xB0  7.0380' N");
  EXPECT_EQ(TextAt(c, 100, 65), "11\xC2\xB0 31.0000' E");
  EXPECT_EQ(TextAt(c, 100, 80), "22.4 knots");
  EXPECT_EQ(TextAt(c, 100, 95), "84.4\xC2\xB0 from North");
  EXPECT_EQ(TextAt(c, 100, 110), "050601");

  // An empty speed blanks that line only; 311299 is shown as it is.
  Feed(test::Sentence("GPRMC,235959.00,A,4807.038,N,01131.000,E,,084.4,311299,003.1,W"));
  c = Painted(rmc);
  EXPECT_EQ(RawTextAt(c, 100, 80), std::string(kNmeaValueWidth, ' '));
  EXPECT_EQ(TextAt(c, 100, 20), "23:59:59.00");
  EXPECT_EQ(TextAt(c, 100, 95), "84.4\xC2\xB0 from North");
  EXPECT_EQ(TextAt(c, 100, 110), "311299");

  // Clear Data leaves the labels only.
  ASSERT_TRUE(rmc->OnCommand(pagecmd::kClearData));
  c = Painted(rmc);
  EXPECT_EQ(TextAt(c, 100, 20), "<none>");
  EXPECT_EQ(TextAt(c, 10, 20), "UTC:");
}

TEST_F(NmeaWindows, NamesOutsideTheirTablesShowTheNumber) {
  Page* zda = Open(cmd::kWndNmeaZda);
  Page* gsa = Open(cmd::kWndNmeaGsa);
  Page* gsv = Open(cmd::kWndNmeaGsv);
  Feed(test::Sentence("GPZDA,090503.25,09,12,2026,-05,30"));
  RecordingCanvas c = Painted(zda);
  EXPECT_EQ(TextAt(c, 90, 20), "09:05:03.25");
  EXPECT_EQ(TextAt(c, 90, 35), "9 December 2026");
  EXPECT_EQ(TextAt(c, 90, 50), "-5:30");
  Feed(test::Sentence("GPZDA,101112.00,09,13,2026,00,00"));
  // The parser refuses month 13; the name table is never read past either way.
  EXPECT_EQ(TextAt(Painted(zda), 90, 35), "9 2026");
  EXPECT_EQ(NmeaMonthText(13), "13");
  EXPECT_EQ(NmeaMonthText(12), "December");
  EXPECT_EQ(TextAt(Painted(zda), 90, 20), "10:11:12.00");

  Feed(test::Sentence("GPGSA,A,3,04,05,,09,,,,,,,,,2.5,1.3,2.1"));
  c = Painted(gsa);
  EXPECT_EQ(TextAt(c, 110, 35), "3D");
  EXPECT_EQ(TextAt(c, 110, 50), " 4  5  9");
  EXPECT_EQ(TextAt(c, 110, 65), "2.5");
  EXPECT_EQ(NmeaFixModeText(1), "Fix not available");
  EXPECT_EQ(NmeaFixModeText(0), "0");
  EXPECT_EQ(NmeaFixModeText(7), "7");
  EXPECT_EQ(NmeaMonthText(0), "0");

  // Two satellites: the two rows below them are blank.
  Feed(test::Sentence("GPGSV,1,1,02,07,45,123,40,12,10,300,33"));
  c = Painted(gsv);
  EXPECT_EQ(TextAt(c, 190, 50), "  2");
  EXPECT_EQ(TextAt(c, 10, 95), " 7");
  EXPECT_EQ(TextAt(c, 90, 95), "45");
  EXPECT_EQ(TextAt(c, 170, 95), "123.0");
  EXPECT_EQ(TextAt(c, 10, 110), "12");
  EXPECT_EQ(TextAt(c, 10, 125), "");
  EXPECT_EQ(TextAt(c, 10, 140), "");
  EXPECT_EQ(TextAt(c, 10, 80), "SVs Used");
}

TEST_F(NmeaWindows, StandardPopupSendsTheRequestSentences) {
  Page* rmc = Open(cmd::kWndNmeaRmc);
  const std::vector<PopupItem> items = rmc->PopupItems();
  std::vector<std::string> texts;
  for (const PopupItem& i : items) texts.push_back(i.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Continuous (1 sec)", "Continuous", "One Shot", "Stop Transmission",
                                             "Clear Data"}));
  ASSERT_TRUE(rmc->OnCommand(nmeacmd::kOneShot));
  ASSERT_EQ(port.sent.size(), 2u);
  EXPECT_EQ(Sent(port, 0), test::Sentence("PQTLG,005,,RMC,000"));
  EXPECT_EQ(Sent(port, 1), test::Sentence("PQTLG,004,RMC"));
  ASSERT_TRUE(rmc->OnCommand(nmeacmd::kContinuousOneSecond));
  EXPECT_EQ(Sent(port, 2), test::Sentence("PQTLG,005,,RMC,001"));
  ASSERT_TRUE(rmc->OnCommand(nmeacmd::kStop));
  EXPECT_EQ(Sent(port, 3), test::Sentence("PQTLG,005,,RMC,000"));

  // Continuous asks for the interval: 999 is taken, 1000 refused and nothing sent.
  std::string interval = "999";
  desk.formDriver = [&](Form& form) {
    EXPECT_EQ(form.caption(), "Time interval between two messages.");
    form.SetText(kIntervalField, interval);
    return form.Press(kFormOk, &desk) == FormAction::Ok;
  };
  ASSERT_TRUE(rmc->OnCommand(nmeacmd::kContinuous));
  EXPECT_EQ(Sent(port, 4), test::Sentence("PQTLG,005,,RMC,999"));
  interval = "1000";
  rmc->OnCommand(nmeacmd::kContinuous);
  EXPECT_EQ(port.sent.size(), 5u);
  EXPECT_FALSE(desk.boxes.empty());
}

TEST_F(NmeaWindows, SpecialPopupsOfTheProprietaryWindows) {
  Open(cmd::kWndNmeaSelfTest)->OnCommand(nmeacmd::kOneShotSelfTest);
  EXPECT_EQ(Sent(port, 0), test::Sentence("PQTLG,003"));
  Open(cmd::kWndNmeaRadiobeacon)->OnCommand(nmeacmd::kInformation);
  EXPECT_EQ(Sent(port, 1), test::Sentence("PQTLG,004,903"));
  Open(cmd::kWndNmeaMss)->OnCommand(nmeacmd::kInformation);
  EXPECT_EQ(Sent(port, 2), test::Sentence("PQTLG,004,MSS"));
  Page* nav = Open(cmd::kWndNmeaNavStatus);
  nav->OnCommand(nmeacmd::kContinuousOneSecond);
  EXPECT_EQ(Sent(port, 3), test::Sentence("PQTLG,005,,900,001"));
  Feed(test::Sentence("PQTLG,900,3D,1"));
  EXPECT_EQ(TextAt(Painted(nav), 180, 20), "3D");
  EXPECT_EQ(TextAt(Painted(nav), 10, 35), "2GPS Fix Quality Indicator:");
}

TEST_F(NmeaWindows, ReceiverParameterDialogChecksTheAuxRate) {
  Page* rx = Open(cmd::kWndNmeaRxParameters);
  Feed(test::Sentence("PQTLG,908,10,1,1,0,5.0,47,2,30,4800,4,2"));
  EXPECT_EQ(TextAt(Painted(rx), 170, 140), "4800");
  EXPECT_EQ(TextAt(Painted(rx), 170, 80), "5.0");

  std::vector<std::string> seen;
  desk.formDriver = [&](Form& form) {
    form.AttachMessageBoxes(&desk);
    EXPECT_EQ(form.caption(), "Set receiver parameter");
    EXPECT_EQ(form.Text(rxparam::kAuxBaud), "4800");  // from the last report
    // Leaving the field at 1000 says so and puts 9600 back.
    form.SetText(rxparam::kAuxBaud, "1000");
    form.LeaveField(rxparam::kAuxBaud);
    seen.push_back(form.Text(rxparam::kAuxBaud));
    // OK runs the same check: 0 and 1000 are refused.
    form.SetText(rxparam::kAuxBaud, "0");
    EXPECT_EQ(form.Press(kFormOk, &desk), FormAction::None);
    form.SetText(rxparam::kAuxBaud, "1000");
    EXPECT_EQ(form.Press(kFormOk, &desk), FormAction::None);
    form.SetText(rxparam::kAuxBaud, "19200");
    form.SetText(rxparam::kMaskAngle, "7.5");
    return form.Press(kFormOk, &desk) == FormAction::Ok;
  };
  ASSERT_TRUE(rx->OnCommand(nmeacmd::kSetReceiverParameter));
  EXPECT_EQ(seen, std::vector<std::string>{"9600"});
  ASSERT_GE(desk.boxes.size(), 3u);
  for (const auto& box : desk.boxes) EXPECT_EQ(box.text, rxparam::kAuxBaudMessage);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(Sent(port, 0), test::Sentence("PQTLG,008,1,1,0,7.5,47,2,30,19200,4,2"));
}

TEST_F(NmeaWindows, CountPageShowsSlotsTotalAndChecksumErrors) {
  Page* counts = Open(cmd::kWndNmeaReceivedMessages);
  Feed(test::Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
  Feed(test::Sentence("GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
  Feed(test::Sentence("PQTLG,907,31,U,D,Q,48251.0,11932.0,35.0,123519.00,A"));
  Feed("$GPRMC,1*00\r\n");  // wrong checksum
  Feed(test::Sentence("GPXYZ,1"));
  RecordingCanvas c = Painted(counts);
  EXPECT_EQ(TextAt(c, 140, 8), "GPGGA:");
  EXPECT_EQ(TextAt(c, 195, 8), "2");
  EXPECT_EQ(TextAt(c, 85, 8 + 13 * 5), "1");  // PQTLG,907
  EXPECT_EQ(TextAt(c, 195, 8 + 13 * 5), "0");  // GPRMC
  EXPECT_EQ(TextAt(c, 120, 8 + 13 * 9), "4");
  EXPECT_EQ(TextAt(c, 120, 8 + 13 * 10), "1");
}

}  // namespace
}  // namespace orv
