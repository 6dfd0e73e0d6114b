// The aux window's lines: line ends in every form, a bounded history, endless lines broken.
#include <gtest/gtest.h>

#include <string>

#include "windows/TerminalHistory.h"

namespace orv {
namespace {

void Show(TerminalHistory& h, const std::string& s) { h.ShowText(s.data(), static_cast<uint32_t>(s.size())); }

TEST(TerminalHistory, LineEndsControlsAndABoundedHistory) {
  TerminalHistory h;
  int changes = 0;
  h.SetOnChange([&] { ++changes; });
  Show(h, "one\r");
  Show(h, "\ntwo\nthree\rfo");
  Show(h, std::string("u\0r\x07\x7F\x85\x9F\tx\xA0\xE9", 11));
  EXPECT_EQ(h.Text(), "one\ntwo\nthree\nfour\tx\xA0\xE9");
  EXPECT_EQ(changes, 3);

  for (int i = 0; i < 5000; ++i) Show(h, "line " + std::to_string(i) + "\r\n");
  EXPECT_EQ(h.lines().size(), TerminalHistory::kMaxLines);
  EXPECT_EQ(h.lines().front(), "line " + std::to_string(5000 - TerminalHistory::kMaxLines + 1));
  EXPECT_EQ(h.lines().back(), "");
  EXPECT_EQ(h.firstLineNumber(), 5000 - TerminalHistory::kMaxLines + 3 + 1);

  h.Clear();
  EXPECT_EQ(h.firstLineNumber(), 0u);
  Show(h, std::string(TerminalHistory::kMaxLineLength + 10, 'a'));
  ASSERT_EQ(h.lines().size(), 2u);
  EXPECT_EQ(h.lines()[0].size(), TerminalHistory::kMaxLineLength);
  EXPECT_EQ(h.lines()[1].size(), 10u);
  h.ShowText(nullptr, 5);
  EXPECT_EQ(h.lines().size(), 2u);
}

}  // namespace
}  // namespace orv
