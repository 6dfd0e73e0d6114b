// The aux window's lines: line ends in every form, a bounded history, endless lines broken.
#include <gtest/gtest.h>

#include <deque>
#include <random>
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

// The rules one byte at a time, the slow way: what the history must hold for any input cut
// into any pieces.
struct ByteRules {
  std::deque<std::string> lines{std::string()};
  bool lastWasCr = false;
  void EndLine() {
    lines.emplace_back();
    if (lines.size() > TerminalHistory::kMaxLines) lines.pop_front();
  }
  void Take(unsigned char c) {
    const bool wasCr = lastWasCr;
    lastWasCr = c == '\r';
    if (c == '\r' || (c == '\n' && !wasCr)) return EndLine();
    if ((c < 0x20 && c != '\t') || (c >= 0x7F && c < 0xA0)) return;
    if (lines.back().size() >= TerminalHistory::kMaxLineLength) EndLine();
    lines.back().push_back(static_cast<char>(c));
  }
};

TEST(TerminalHistory, BinaryAndLongRunsInRandomPiecesFollowTheByteRules) {
  std::mt19937 random(27);
  for (int round = 0; round < 20; ++round) {
    std::string stream;
    while (stream.size() < 60000) {
      const int what = static_cast<int>(random() % 4);
      const std::size_t n = what == 0 ? TerminalHistory::kMaxLineLength - 3 + random() % 7 : random() % 700;
      for (std::size_t i = 0; i < n; ++i) {
        stream.push_back(what == 0 ? 'k' : what == 1 ? "\r\n\x01a"[random() % 4] : static_cast<char>(random()));
      }
    }
    TerminalHistory h;
    ByteRules rules;
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t n = std::min<std::size_t>(stream.size() - at, 1 + random() % 1500);
      h.ShowText(stream.data() + at, static_cast<uint32_t>(n));
      at += n;
    }
    for (const char c : stream) rules.Take(static_cast<unsigned char>(c));
    ASSERT_EQ(h.lines(), rules.lines) << "round " << round;
  }
}

}  // namespace
}  // namespace orv
