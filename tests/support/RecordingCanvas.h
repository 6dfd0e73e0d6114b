// A canvas that records every call as one line of text, so a test can assert what was drawn
// where ("text 145 15 N  045 30'12.348\" (Deg)"), and measures text with a fixed cell.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace orv::test {

class RecordingCanvas : public Canvas {
 public:
  void SetFont(const FontSpec& f) override {
    font = f;
    Log("font " + f.face + " " + std::to_string(f.height) + " " + std::to_string(f.weight));
  }
  void SetTextColour(Colour c) override { Log("textcolour " + std::to_string(c)); }
  void SetBackgroundMode(BackgroundMode m) override {
    Log(m == BackgroundMode::Opaque ? "bk opaque" : "bk transparent");
  }
  void SetBackgroundColour(Colour c) override { Log("bkcolour " + std::to_string(c)); }
  // "align left", "align right bottom": the vertical reference only when it is not the top.
  void SetTextAlignment(TextAlignment a) override {
    alignment = a;
    const TextAlign h = a.horizontal;
    Log(std::string("align ") + (h == TextAlign::Left ? "left" : h == TextAlign::Center ? "center" : "right") +
        (a.vertical == TextVAlign::Bottom ? " bottom" : ""));
  }
  void TextOut(int x, int y, const std::string& text) override {
    Log("text " + std::to_string(x) + " " + std::to_string(y) + " " + text);
  }
  TextExtent GetTextExtent(const std::string& text) override {
    return {static_cast<int>(text.size()) * charWidth, font.height};
  }
  void SetPen(PenStyle s, int width, Colour c) override {
    Log(std::string("pen ") + (s == PenStyle::Solid ? "solid" : s == PenStyle::Dotted ? "dotted" : "none") + " " +
        std::to_string(width) + " " + std::to_string(c));
  }
  void SetBrush(Colour c) override { Log("brush " + std::to_string(c)); }
  void SetNoBrush() override { Log("nobrush"); }
  void MoveTo(int x, int y) override { Log("moveto " + Xy(x, y)); }
  void LineTo(int x, int y) override { Log("lineto " + Xy(x, y)); }
  void Rectangle(int l, int t, int r, int b) override { Log("rect " + Xy(l, t) + " " + Xy(r, b)); }
  void FillRect(int l, int t, int r, int b, Colour c) override {
    Log("fill " + Xy(l, t) + " " + Xy(r, b) + " " + std::to_string(c));
  }
  void Ellipse(int l, int t, int r, int b) override { Log("ellipse " + Xy(l, t) + " " + Xy(r, b)); }
  void DrawCornerBitmap(int x, int y) override { Log("bitmap " + Xy(x, y)); }
  AreaSize GetAreaSize() const override { return area; }
  Colour WindowTextColour() const override { return Rgb(0, 0, 0); }
  Colour WindowColour() const override { return Rgb(255, 255, 255); }

  bool Has(const std::string& line) const { return std::find(calls.begin(), calls.end(), line) != calls.end(); }
  // The texts drawn, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& c : calls) {
      if (c.rfind("text ", 0) == 0) out.push_back(c);
    }
    return out;
  }

  std::vector<std::string> calls;
  FontSpec font;
  TextAlignment alignment;
  int charWidth = 7;
  AreaSize area{250, 250};

 private:
  static std::string Xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
  void Log(std::string s) { calls.push_back(std::move(s)); }
};

}  // namespace orv::test
