// The updates an accumulating page keeps between value paints: every record drawn once, in
// order, and a bounded queue that asks for a whole repaint when it has to drop one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingCanvas.h"
#include "windows/Page.h"

namespace orv {
namespace {

TEST(UpdateQueueTest, DrainsOldestFirstAndDropsTheOldestWhenFull) {
  UpdateQueue<int> q(3);
  EXPECT_TRUE(q.Push(1));
  EXPECT_TRUE(q.Push(2));
  std::vector<int> drawn;
  q.Drain([&](int v) { drawn.push_back(v); });
  EXPECT_EQ(drawn, (std::vector<int>{1, 2}));
  EXPECT_TRUE(q.empty());

  // Wrapping round the ring, then past its bound.
  for (int v = 3; v <= 5; ++v) EXPECT_TRUE(q.Push(v));
  EXPECT_FALSE(q.Push(6));
  EXPECT_FALSE(q.Push(7));
  EXPECT_EQ(q.size(), 3u);
  drawn.clear();
  q.Drain([&](int v) { drawn.push_back(v); });
  EXPECT_EQ(drawn, (std::vector<int>{5, 6, 7}));
  q.Push(8);
  q.Clear();
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(UpdateQueue<int>(0).bound(), 1u);
}

// A host that paints only when the test says, as a display frame would.
class DeferredView : public PageView {
 public:
  void InvalidateAll() override { ++full; }
  void ValuesChanged() override { ++values; }
  void CaptionChanged() override {}
  void PageGone() override {}
  int full = 0;
  int values = 0;
};

// Each record adds one mark; the whole page draws every mark it keeps.
class MarksPage : public Page {
 public:
  MarksPage() : Page(PageSpec{1, nullptr, {kFaceSansSerif, 10, 400}, false, {}, {}}, PageContext{}) {}
  bool hasRecord() const override { return !all_.empty(); }
  void Add(int x) {
    all_.push_back(x);
    QueueUpdate(pending_, x);
  }
  std::vector<std::string> drawn;

 protected:
  void DrawLabels(Canvas&) override {}
  void DrawValues(Canvas&) override {
    if (paintingWholePage()) {
      pending_.Clear();
      for (int x : all_) drawn.push_back("whole " + std::to_string(x));
      return;
    }
    pending_.Drain([this](int x) { drawn.push_back("mark " + std::to_string(x)); });
  }
  void ClearRecord() override { all_.clear(); }

 private:
  std::vector<int> all_;
  UpdateQueue<int> pending_{4};
};

class AccumulatingPageTest : public ::testing::Test {
 protected:
  test::RecordingCanvas canvas;
  MarksPage page;
  DeferredView view;
  void SetUp() override { page.AttachView(&view); }
  void TearDown() override { page.AttachView(nullptr); }
};

TEST_F(AccumulatingPageTest, AnOverflowAsksForTheWholePageWhichDrawsEverything) {
  for (int x = 1; x <= 5; ++x) page.Add(x);
  EXPECT_EQ(view.values, 4);
  EXPECT_EQ(view.full, 1);
  page.Paint(canvas);
  page.PaintValues(canvas);  // the whole paint took the queued marks with it
  EXPECT_EQ(page.drawn, (std::vector<std::string>{"whole 1", "whole 2", "whole 3", "whole 4", "whole 5"}));
}

}  // namespace
}  // namespace orv
