// Value fields on the update path: what a page erases before it draws a shorter value, by
// alignment, and what a full paint forgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/RecordingPageView.h"
#include "windows/Page.h"

namespace orv {
namespace {

using test::RecordingPageView;

// A page of free texts: each field says where and how it is drawn.
struct Field {
  int x;
  int y;
  TextAlignment alignment;
  std::string text;
  bool opaque = true;
};

class FieldsPage : public Page {
 public:
  FieldsPage() : Page(PageSpec{1, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {}}, PageContext{}) {}
  bool hasRecord() const override { return !fields_.empty(); }
  void Show(std::vector<Field> fields) {
    fields_ = std::move(fields);
    NotifyValues();
  }
  // New fields drawn by a full paint, as after a change of page.
  void Replace(std::vector<Field> fields) {
    fields_ = std::move(fields);
    InvalidateAll();
  }

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas& canvas) override {
    for (const Field& f : fields_) {
      canvas.SetTextAlign(f.alignment.horizontal, f.alignment.vertical);
      if (!f.opaque) canvas.SetBackgroundMode(BackgroundMode::Transparent);
      canvas.TextOut(f.x, f.y, f.text);
      if (!f.opaque) canvas.SetBackgroundMode(BackgroundMode::Opaque);
    }
  }
  void ClearRecord() override { fields_.clear(); }

 private:
  std::vector<Field> fields_;
};

constexpr TextAlignment kLeftTop{};
constexpr TextAlignment kRightTop{TextAlign::Right, TextVAlign::Top};
constexpr TextAlignment kRightBottom{TextAlign::Right, TextVAlign::Bottom};
constexpr TextAlignment kCenterTop{TextAlign::Center, TextVAlign::Top};

const std::string kWhite = std::to_string(Rgb(255, 255, 255));

std::vector<std::string> Fills(const test::RecordingCanvas& c) {
  std::vector<std::string> out;
  std::copy_if(c.calls.begin(), c.calls.end(), std::back_inserter(out),
               [](const std::string& s) { return s.rfind("fill ", 0) == 0; });
  return out;
}

class ValueCellsTest : public ::testing::Test {
 protected:
  // The page shown whole, then updated: the update's calls only.
  const test::RecordingCanvas& ShowThenUpdate(std::vector<Field> first, std::vector<Field> next) {
    page.Show(std::move(first));
    view.Repaint();
    view.screen.calls.clear();
    page.Show(std::move(next));
    return view.screen;
  }

  FieldsPage page;
  RecordingPageView view{page};
};

// Seven pixels a character and ten a line on the recording canvas.
TEST_F(ValueCellsTest, AShorterValueErasesTheCellOfTheLongerOneBeforeItIsDrawn) {
  const auto& c = ShowThenUpdate({{20, 10, kLeftTop, "123456789"}, {200, 30, kRightTop, "123456789"},
                                  {200, 60, kRightBottom, "123456789"}, {100, 90, kCenterTop, "123456789"}},
                                 {{20, 10, kLeftTop, "1"}, {200, 30, kRightTop, "1"}, {200, 60, kRightBottom, "1"},
                                  {100, 90, kCenterTop, "1"}});
  EXPECT_EQ(Fills(c), (std::vector<std::string>{"fill 20 10 83 20 " + kWhite, "fill 137 30 200 40 " + kWhite,
                                                "fill 137 50 200 60 " + kWhite, "fill 69 90 132 100 " + kWhite}));
  // Each erase comes right before its text.
  const auto erase = std::find(c.calls.begin(), c.calls.end(), "fill 137 50 200 60 " + kWhite);
  ASSERT_NE(erase, c.calls.end());
  EXPECT_EQ(*std::next(erase), "text 200 60 1");
}

// The update itself is remembered: the next one erases what it left, not the first value.
TEST_F(ValueCellsTest, EachUpdateErasesWhatTheLastOneDrew) {
  ShowThenUpdate({{20, 10, kLeftTop, "123456789"}}, {{20, 10, kLeftTop, "12345"}});
  view.screen.calls.clear();
  page.Show({{20, 10, kLeftTop, "1"}});
  EXPECT_EQ(Fills(view.screen), (std::vector<std::string>{"fill 20 10 55 20 " + kWhite}));
}

// An opaque text fills its own cell: a value as long or longer needs no erase, and a field is
// its position and alignment, so another alignment at the same point is another field.
TEST_F(ValueCellsTest, NothingExtraIsErasedWhereTheNewTextCoversTheOld) {
  const auto& c = ShowThenUpdate({{20, 10, kLeftTop, "12"}, {200, 30, kRightTop, "123"}, {50, 50, kLeftTop, "abc"}},
                                 {{20, 10, kLeftTop, "12345"}, {200, 30, kRightTop, "456"}, {50, 50, kRightTop, "a"}});
  EXPECT_TRUE(Fills(c).empty());
}

// A text over a plot is drawn transparent: it is not a field, nothing is erased for it.
TEST_F(ValueCellsTest, TransparentTextsAreNeitherRememberedNorErased) {
  const auto& c = ShowThenUpdate({{20, 10, kLeftTop, "123456789", false}}, {{20, 10, kLeftTop, "1", false}});
  EXPECT_TRUE(Fills(c).empty());
  EXPECT_TRUE(c.Has("text 20 10 1"));
}

// A full paint erases the surface: what earlier paints drew no longer needs erasing.
TEST_F(ValueCellsTest, AFullPaintForgetsEarlierCellsAndRemembersItsOwn) {
  page.Show({{20, 10, kLeftTop, "123456789"}, {20, 30, kLeftTop, "123456789"}});
  page.Replace({{20, 10, kLeftTop, "12"}});
  EXPECT_EQ(view.events.back(), "invalidate");
  view.screen.calls.clear();
  page.Show({{20, 10, kLeftTop, "1"}, {20, 30, kLeftTop, "1"}});
  EXPECT_EQ(Fills(view.screen), (std::vector<std::string>{"fill 20 10 34 20 " + kWhite}));
}

// A busy receiver sends the same values again and again: an update draws only the fields whose
// text changed, the others already show theirs.
TEST_F(ValueCellsTest, AnUpdateDrawsOnlyTheFieldsThatChanged) {
  ShowThenUpdate({{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "34"}}, {{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "34"}});
  EXPECT_EQ(view.screen.Texts(), (std::vector<std::string>{"text 20 10 12", "text 20 30 34"}));
  view.screen.calls.clear();
  page.Show({{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "35"}});
  EXPECT_EQ(view.screen.Texts(), (std::vector<std::string>{"text 20 30 35"}));
  view.screen.calls.clear();
  page.Show({{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "35"}});
  EXPECT_TRUE(view.screen.Texts().empty());
  // After a full paint every field is drawn again.
  page.Replace({{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "35"}});
  view.screen.calls.clear();
  page.Show({{20, 10, kLeftTop, "12"}, {20, 30, kLeftTop, "35"}});
  EXPECT_EQ(view.screen.Texts().size(), 2u);
}

// Values drawn among lines or marks may be crossed by them: such a page draws every field on
// every update, and a field drawn in another colour is drawn again.
class MarkedPage : public FieldsPage {
 public:
  bool mark = false;
  Colour colour = Rgb(0, 0, 0);

 protected:
  void DrawValues(Canvas& canvas) override {
    canvas.SetTextColour(colour);
    FieldsPage::DrawValues(canvas);
    if (mark) canvas.Ellipse(0, 0, 4, 4);
  }
};

TEST(ValueCells, ShapesAmongTheValuesOrANewColourDrawTheFieldsAgain) {
  MarkedPage page;
  RecordingPageView view{page};
  const std::vector<Field> fields{{20, 10, kLeftTop, "12"}};
  page.Show(fields);
  page.Show(fields);
  view.screen.calls.clear();
  page.colour = Rgb(255, 0, 0);
  page.Show(fields);
  EXPECT_EQ(view.screen.Texts().size(), 1u);
  view.screen.calls.clear();
  page.Show(fields);
  EXPECT_TRUE(view.screen.Texts().empty());
  page.mark = true;
  page.Show(fields);
  view.screen.calls.clear();
  page.Show(fields);
  page.Show(fields);
  EXPECT_EQ(view.screen.Texts().size(), 2u);
}

}  // namespace
}  // namespace orv
