// Small pieces of the Qt desktop shared by the main window and the pages: painted icons, the
// font families behind the faces the pages name, file dialog filters and the QPainter canvas.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <optional>
#include <string>

#include "platform/Canvas.h"

class QPainter;
class QPoint;
class QWidget;

namespace orv {

inline constexpr int kToolIconSize = 20;

// A toolbar icon drawn for the command; commands without a picture get a lettered badge.
QIcon CommandIcon(int command);
QIcon ApplicationIcon();

// Maps "MS Sans Serif" and "FixedSys" to the DejaVu families and makes the sans family the
// application font, so every machine draws the same. Returns false when a family is missing.
bool InstallFonts();
QFont FontFor(const FontSpec& font);

// "Log Files (*.log) |*.log|All Files (*.*) |*.*||" as a Qt filter list.
QString QtFileFilter(const std::string& filter);

// A screen rectangle from stored edges (configuration file, profile) that may be anything:
// the size is worked out without overflow and kept within minWidth x minHeight .. 65535.
QRect RectFromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom, int minWidth, int minHeight);
QRect RectFromSize(int64_t left, int64_t top, int64_t width, int64_t height, int minWidth, int minHeight);

// Texts are placed by TextCell with the font's advance and height; a line stops one pixel short
// of its end point along its major axis, as the canvas's line rule says.
class QtCanvas : public Canvas {
 public:
  // The area is the painter's device in logical pixels, unless told otherwise (a printed page
  // whose painter is scaled to it).
  explicit QtCanvas(QPainter& painter, std::optional<AreaSize> area = std::nullopt);

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
  void DrawThinLine(const QPoint& from, const QPoint& to);
  void DrawWideLine(const QPoint& from, const QPoint& to);

  QPainter& p_;
  bool symbolFont_ = false;  // texts are in the Symbol font's encoding
  Colour text_ = 0;
  Colour background_ = 0xFFFFFF;
  BackgroundMode mode_ = BackgroundMode::Opaque;
  TextAlignment align_;
  std::optional<AreaSize> area_;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace orv
