// The QPainter canvas: pages drawn on a widget's image, a printed page, a PDF file or an image
// file, with the font families behind the faces the pages name. Qt GUI only, no widgets, so
// the headless tools draw with it too.
#pragma once

#include <QFont>
#include <QPen>
#include <QRegion>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

class QPainter;
class QPoint;

namespace orv {

class AsciiGlyphs;

// One font's plain ASCII texts drawn from its glyph table, as the canvas draws them, for a
// widget that draws a changing text of its own (a status pane).
class PlainTextDrawer {
 public:
  explicit PlainTextDrawer(const QFont& font);
  ~PlainTextDrawer();
  PlainTextDrawer(const PlainTextDrawer&) = delete;
  PlainTextDrawer& operator=(const PlainTextDrawer&) = delete;

  // Draws the text with the top of its line at `at`, in the painter's pen; false, with nothing
  // drawn, where it must be shaped (a character outside printable ASCII, a pair that joins, a
  // painter that is not a plain raster one).
  bool Draw(QPainter& painter, QPointF at, const std::string& text);

 private:
  std::unique_ptr<AsciiGlyphs> glyphs_;
};

// What a paint covered, as a few rectangles: a rectangle that touches the last one joins it
// (a value's background and its text, a row of values), and past a handful the whole is their
// bounding box. Uniting thousands of small rectangles one by one into a QRegion costs more than
// drawing them.
class DrawnArea {
 public:
  void Add(const QRect& r);
  QRegion Region() const;
  bool empty() const { return rects_.empty(); }

 private:
  static constexpr std::size_t kMaxRects = 24;
  std::vector<QRect> rects_;
  QRect bounds_;
};

// "MS Sans Serif" is drawn in DejaVu Sans, "FixedSys" in DejaVu Sans Mono, at the page's height
// in pixels.
QFont FontFor(const FontSpec& font);

// Texts are placed by TextCell with the font's advance and height; a line stops one pixel short
// of its end point along its major axis, as the canvas's line rule says.
class QtCanvas : public Canvas {
 public:
  // The area is the painter's device in logical pixels, unless told otherwise (a printed page
  // whose painter is scaled to it).
  explicit QtCanvas(QPainter& painter, std::optional<AreaSize> area = std::nullopt);
  // Leaves the painter, while it is still active, with the pen the lines were last given.
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  // Everything drawn from now on is added to `drawn` (in the painter's logical pixels), so that
  // only that part of a surface needs to reach the screen. Null stops the tracking.
  void TrackDrawn(DrawnArea* drawn) { drawn_ = drawn; }

  void SetFont(const FontSpec& font) override;
  void SetTextColour(Colour c) override;
  void SetBackgroundMode(BackgroundMode mode) override;
  void SetBackgroundColour(Colour c) override;
  void SetTextAlignment(TextAlignment alignment) override;
  void TextOut(int x, int y, const std::string& text) override;
  TextExtent GetTextExtent(const std::string& text) override;
  void SetPen(PenStyle style, int width, Colour c) override;
  void SetBrush(Colour c) override;
  void SetNoBrush() override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void FillRect(int left, int top, int right, int bottom, Colour c) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void DrawCornerBitmap(int x, int y) override;
  AreaSize GetAreaSize() const override;
  Colour WindowTextColour() const override;
  Colour WindowColour() const override;

 private:
  void Drawn(const QRect& r);
  void DrawnLine(const QPoint& from, const QPoint& to);
  void DrawThinLine(const QPoint& from, const QPoint& to);
  void DrawWideLine(const QPoint& from, const QPoint& to);
  // Texts and lines draw with different pens. Each is set only when the other was in use, so
  // that a run of texts in one colour sets none.
  void UseTextPen();
  void UseLinePen();

  QPainter& p_;
  bool symbolFont_ = false;  // texts are in the Symbol font's encoding
  // The font's printable characters, looked up once; null where texts must be shaped (the
  // Symbol font's encoding, a transformed painter, a printer).
  AsciiGlyphs* glyphs_ = nullptr;
  bool glyphsAllowed_ = false;
  DrawnArea* drawn_ = nullptr;
  Colour text_ = 0;
  Colour background_ = 0xFFFFFF;
  BackgroundMode mode_ = BackgroundMode::Opaque;
  TextAlignment align_;
  std::optional<AreaSize> area_;
  int x_ = 0;
  int y_ = 0;
  QPen linePen_;
  bool textPenSet_ = false;
  Colour textPenColour_ = 0;
};

}  // namespace orv
