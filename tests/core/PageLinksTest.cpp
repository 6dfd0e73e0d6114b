// The page set's catalogues and links, beyond the binary windows: a page linked at decoder level
// (message counts) and into the NMEA store, the context each page gets (encoders only on the
// main decoder, the frame's state), and the rectangle a window opens at.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/ConsolePages.h"
#include "app/FrameCommands.h"
#include "ids/CommandIds.h"
#include "support/FakeDesktop.h"
#include "support/FakePort.h"
#include "support/FakeShellHost.h"
#include "support/Frames.h"
#include "forms/Form.h"
#include "windows/MessageWindows.h"

namespace orv {
namespace {

constexpr int kCountsWindow = 40001;
constexpr int kBaseCountsWindow = 40002;

constexpr int kAskItem = pagecmd::kSpecific1;
constexpr PopupEntry kCountsPopup[] = {PageItem(kAskItem, "Ask")};

// A page told of the binary counts and of every GGA record, with a dialog of its own.
class CountsPage : public Page, public BinaryCountLink, public NmeaRecordLink<NmeaGgaRecord> {
 public:
  static constexpr PageSpec kSpec{kCountsWindow, nullptr, PageFont{kFaceSansSerif, 10, 400}, true, kCountsPopup, {},
                                  100, 50};
  explicit CountsPage(const PageContext& context) : Page(kSpec, context), context_(context) {}
  bool hasRecord() const override { return count20 > 0; }
  void OnCounts(uint32_t, const uint32_t* messageCountById) override { count20 = messageCountById[20]; }
  void ShowRecord(const NmeaGgaRecord* record) override { gga = record; }
  const PageContext& context() const { return context_; }

  uint32_t count20 = 0;
  const NmeaGgaRecord* gga = nullptr;

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas&) override {}
  void ClearRecord() override { count20 = 0; }
  void OnPageCommand(int) override {
    Form form("Time interval between two messages.");
    form.AddOkCancel();
    asked = RunForm(form);
  }

 public:
  bool asked = false;

 private:
  PageContext context_;
};

void LinkCounts(const PageLinkTargets& targets, Page* page) {
  DecoderLink<BinaryCountLink, &MessageDecoder::SetBinaryCountLink>(targets, page);
  NmeaStoreLink<NmeaGgaRecord>(targets, page);
}

constexpr PageKind kTestKinds[] = {
    {kCountsWindow, MakePage<CountsPage>, LinkCounts, false},
    {kBaseCountsWindow, MakePage<CountsPage>, LinkCounts, true},
};

class PageLinksTest : public ::testing::Test {
 protected:
  PageLinksTest()
      : frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); }),
        pages({kTestKinds}, frame.mainDecoder(), frame.secondDecoder(),
              PageContext{&frame.encoder(), &frame.nmeaEncoder(), &sink, &desk, &desk, &frame}) {
    frame.mainDecoder().SetTimeGateOpen(1);
  }
  void Feed(ReceiverDecoder& decoder, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> copy = bytes;
    copy.push_back(0);
    decoder.Decode(copy.data(), static_cast<uint32_t>(bytes.size()));
  }

  test::FakeDesktop desk;
  CMainFrame frame;
  test::FakeShellHost sink;
  MessageWindows pages;
};

TEST_F(PageLinksTest, APageLinkedAtDecoderLevelAndIntoTheNmeaStoreIsToldUntilItGoes) {
  pages.Deliver(kCountsWindow, true, "Counts");
  auto* page = dynamic_cast<CountsPage*>(pages.page(kCountsWindow));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->caption(), "Counts");
  Feed(frame.mainDecoder(), test::Frame(20, {}));
  Feed(frame.mainDecoder(), test::Frame(20, {}));
  EXPECT_EQ(page->count20, 2u);
  frame.mainDecoder().SetProtocolSelector(0);
  Feed(frame.mainDecoder(), test::Bytes(test::Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")));
  EXPECT_EQ(page->gga, &frame.mainDecoder().nmea().gga());

  // Its own dialog runs through the frame's desktop.
  std::vector<std::string> captions;
  desk.formDriver = [&captions](Form& form) {
    captions.push_back(form.caption());
    return true;
  };
  EXPECT_TRUE(page->OnCommand(kAskItem));
  EXPECT_TRUE(page->asked);
  EXPECT_EQ(captions, std::vector<std::string>{"Time interval between two messages."});

  // The page knows the frame it belongs to.
  frame.config().SetMainPortName("COM3");
  EXPECT_EQ(page->context().status->mainPortName(), "COM3");
  EXPECT_EQ(page->context().nmeaEncoder, &frame.nmeaEncoder());

  pages.Deliver(kCountsWindow, false, "");
  EXPECT_EQ(pages.page(kCountsWindow), nullptr);
  frame.mainDecoder().SetProtocolSelector(1);
  Feed(frame.mainDecoder(), test::Frame(20, {}));  // nobody is told any more, nothing breaks
  EXPECT_FALSE(pages.linked(kCountsWindow));
}

TEST_F(PageLinksTest, APageOfTheBaseDecoderSendsNothingAndHearsOnlyTheBase) {
  pages.Deliver(kBaseCountsWindow, true, "Base");
  auto* page = dynamic_cast<CountsPage*>(pages.page(kBaseCountsWindow));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->context().encoder, nullptr);
  EXPECT_EQ(page->context().nmeaEncoder, nullptr);
  EXPECT_EQ(page->context().status, &frame);
  Feed(frame.mainDecoder(), test::Frame(20, {}));
  EXPECT_EQ(page->count20, 0u);
  frame.secondDecoder().SetBaseFileFlag(0);
  Feed(frame.secondDecoder(), test::Frame(20, {}));
  EXPECT_EQ(page->count20, 1u);
  EXPECT_FALSE(pages.HasPage(cmd::kWndLlh));
}

TEST(FitDefaultRectToPage, OnlyADefaultRectangleGrowsAndOnlyToThePage) {
  const ScreenRect defaults{10, 20, 260, 400};
  EXPECT_EQ(FitDefaultRectToPage(defaults, defaults, {330, 455}), (ScreenRect{10, 20, 340, 475}));
  EXPECT_EQ(FitDefaultRectToPage(defaults, defaults, {100, 455}), (ScreenRect{10, 20, 260, 475}));
  EXPECT_EQ(FitDefaultRectToPage(defaults, defaults, {100, 100}), defaults);
  const ScreenRect chosen{10, 20, 110, 120};
  EXPECT_EQ(FitDefaultRectToPage(chosen, defaults, {330, 455}), chosen);
  const ScreenRect edge{INT32_MAX - 5, 0, INT32_MAX - 4, 1};
  EXPECT_EQ(FitDefaultRectToPage(edge, edge, {330, 455}).right, INT32_MAX);
}

// Through the frame's window commands: the navigation window's default rectangle cuts its page.
TEST(ConsolePages, TheNavigationWindowOpensLargeEnoughForItsPage) {
  test::FakeDesktop desk;
  CMainFrame frame(desk, [](StreamDecoder* sink) { return std::make_unique<test::FakePort>(sink); });
  test::FakeShellHost host;
  FrameCommands commands(frame, host);
  ConsolePages pages(frame, commands.windows(), host);
  const ScreenRect stored = frame.config().windowRect(cmd::kWndLlh);
  commands.OnCommand(cmd::kWndLlh);
  const PageExtent page = pages.page(cmd::kWndLlh)->extent();
  EXPECT_EQ(host.rects[cmd::kWndLlh], (ScreenRect{stored.left, stored.top, stored.left + page.width, stored.top + page.height}));
  EXPECT_EQ(frame.config().windowRect(cmd::kWndLlh), stored);  // the record keeps its rectangle
}

}  // namespace
}  // namespace orv
