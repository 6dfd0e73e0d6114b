// A page's items as the host lists them: submenus of a menu bar, exclusive choices and check
// marks read from the page, and disabled items that cannot be run.
#include <gtest/gtest.h>

#include <vector>

#include "protocol/FrameEncoder.h"
#include "support/RecordingChannel.h"
#include "windows/Page.h"
#include "windows/TrackingWindows.h"

namespace orv {
namespace {

constexpr int kSmall = pagecmd::kSpecific1;
constexpr int kMedium = pagecmd::kSpecific2;
constexpr int kLarge = pagecmd::kSpecific3;
constexpr int kGrid = pagecmd::kSpecific4;
constexpr int kPrint = 33000;

constexpr PopupEntry kView[] = {ChoiceItem(kSmall, "&Small", 1), ChoiceItem(kMedium, "&Medium", 1),
                                ChoiceItem(kLarge, "&Large", 1), Separator(), PageItem(kGrid, "&Grid")};
constexpr PopupEntry kFile[] = {PageItem(kPrint, "&Print")};
constexpr PopupEntry kBar[] = {Submenu("&File", kFile), Submenu("&View", kView), ClearDataItem()};

class MenuPage : public Page {
 public:
  MenuPage() : Page(PageSpec{1, nullptr, {kFaceSansSerif, 10, 400}, false, {}, kBar}, PageContext{}) {}
  bool hasRecord() const override { return true; }

  int size = kMedium;
  bool grid = false;
  int printed = 0;

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas&) override {}
  void ClearRecord() override {}
  void OnPageCommand(int command) override {
    if (command == kGrid) grid = !grid;
    if (command == kPrint) ++printed;
    if (command >= kSmall && command <= kLarge) size = command;
  }
  bool IsChecked(int command) const override { return command == size || (command == kGrid && grid); }
  bool IsEnabled(int command) const override { return command != kPrint; }
};

// The items of the `title` submenu of a menu bar.
const std::vector<PopupItem>& Sub(const std::vector<PopupItem>& bar, const std::string& title) {
  static const std::vector<PopupItem> none;
  for (const PopupItem& item : bar) {
    if (item.kind == PopupKind::Submenu && item.text == title) return item.items;
  }
  return none;
}

TEST(PageMenuTest, MenuBarHasSubmenusDirectItemsAndThePagesState) {
  MenuPage page;
  const std::vector<PopupItem> bar = page.MenuBarItems();
  ASSERT_EQ(bar.size(), 3u);
  EXPECT_EQ(bar[0].kind, PopupKind::Submenu);
  EXPECT_EQ(bar[2], (PopupItem{pagecmd::kClearData, "Clear Data"}));
  const std::vector<PopupItem>& view = Sub(bar, "&View");
  ASSERT_EQ(view.size(), 5u);
  EXPECT_EQ(view[0], (PopupItem{kSmall, "&Small", false, true, 1}));
  EXPECT_EQ(view[1], (PopupItem{kMedium, "&Medium", true, true, 1}));
  EXPECT_EQ(view[3].kind, PopupKind::Separator);
  EXPECT_EQ(view[4], (PopupItem{kGrid, "&Grid"}));
  EXPECT_FALSE(Sub(bar, "&File")[0].enabled);

  // Commands in submenus run; the choice moves its mark.
  ASSERT_TRUE(page.OnCommand(kLarge));
  ASSERT_TRUE(page.OnCommand(kGrid));
  std::vector<bool> marks;
  const std::vector<PopupItem> after = page.MenuBarItems();
  for (const PopupItem& item : Sub(after, "&View")) marks.push_back(item.checked);
  EXPECT_EQ(marks, (std::vector<bool>{false, false, true, false, true}));
  EXPECT_FALSE(page.OnCommand(0));  // separators and titles are no commands
  EXPECT_FALSE(page.OnCommand(kPrint));  // disabled
  EXPECT_EQ(page.printed, 0);
}

// The base window has no receiver to ask: its rates are shown greyed and send nothing.
TEST(PageMenuTest, TheBaseMeasurementWindowsRateItemsAreDisabled) {
  test::RecordingChannel port;
  FrameEncoder encoder(&port);
  CMeasWnd base(PageContext{&encoder, nullptr}, true);
  CMeasWnd main(PageContext{&encoder, nullptr}, false);
  std::vector<bool> enabled;
  for (const PopupItem& item : base.PopupItems()) enabled.push_back(item.enabled);
  EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, false, true, true}));
  for (const PopupItem& item : main.PopupItems()) EXPECT_TRUE(item.enabled) << item.text;
  for (int command : {pagecmd::kContinuous, CMeasWnd::k2HzCommand, CMeasWnd::k5HzCommand, CMeasWnd::k10HzCommand}) {
    EXPECT_FALSE(base.OnCommand(command));
  }
  EXPECT_TRUE(port.sent.empty());
  EXPECT_TRUE(main.OnCommand(CMeasWnd::k5HzCommand));
  EXPECT_EQ(port.sent.size(), 1u);
}

}  // namespace
}  // namespace orv
