// The QPainter canvas.
#include "desktop/QtCanvas.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPaintEngine>
#include <QPixmap>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace orv {

namespace {
QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }
Colour FromQColor(const QColor& c) {
  return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}
}  // namespace

QFont FontFor(const FontSpec& font) {
  const bool fixed = font.face == kFaceFixed;
  QFont f(fixed ? "DejaVu Sans Mono" : "DejaVu Sans");
  if (fixed) f.setStyleHint(QFont::Monospace);
  f.setPixelSize(font.height > 0 ? font.height : 10);
  f.setWeight(static_cast<QFont::Weight>(font.weight <= 0 ? 400 : std::clamp(font.weight, 100, 900)));
  return f;
}

namespace {
// Pages that draw Greek letters name the Symbol font and give its one-byte codes ("w" omega,
// "W" capital omega, 0xD6 the root sign); this desktop draws them as the Unicode letters.
QString SymbolFontText(const std::string& text) {
  static const char16_t kLower[] = u"\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9\u03D5\u03BA\u03BB\u03BC"
                                   u"\u03BD\u03BF\u03C0\u03B8\u03C1\u03C3\u03C4\u03C5\u03D6\u03C9\u03BE\u03C8\u03B6";
  static const char16_t kUpper[] = u"\u0391\u0392\u03A7\u0394\u0395\u03A6\u0393\u0397\u0399\u03D1\u039A\u039B\u039C"
                                   u"\u039D\u039F\u03A0\u0398\u03A1\u03A3\u03A4\u03A5\u03C2\u03A9\u039E\u03A8\u0396";
  QString out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
      out += QChar(kLower[c - 'a']);
    } else if (c >= 'A' && c <= 'Z') {
      out += QChar(kUpper[c - 'A']);
    } else if (c == 0xD6) {
      out += QChar(0x221A);
    } else {
      out += QChar(c);
    }
  }
  return out;
}
}  // namespace

// Most texts of a page are short runs of printable ASCII (values, labels), drawn thousands of
// times a second while a receiver streams. Shaping each of them twice (once to measure, once to
// draw) was most of the desktop's cost. Each font's 95 printable glyphs and advances are looked
// up once; a text whose every neighbouring pair the font draws as its two glyphs (kerned or not)
// is laid out from them and drawn as a glyph run: the same glyphs at the same places as the
// shaped text. What a pair does is learnt the first time it is seen, by shaping it once: its
// kerning, or that it joins into other glyphs, which sends texts holding it the shaped way.
class AsciiGlyphs {
 public:
  explicit AsciiGlyphs(const QFont& font) : font_(font), metrics_(font), cell_(font), raw_(QRawFont::fromFont(font)) {
    QString all;
    for (int c = kFirst; c <= kLast; ++c) all += QChar(c);
    const QList<quint32> glyphs = raw_.glyphIndexesForString(all);
    const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
    usable_ = raw_.isValid() && glyphs.size() == kCount && advances.size() == kCount;
    for (int i = 0; usable_ && i < kCount; ++i) {
      glyph_[i] = glyphs[i];
      advance_[i] = advances[i].x();
      usable_ = glyphs[i] != 0 && metrics_.horizontalAdvance(QChar(kFirst + i)) == advances[i].x();
    }
    height_ = cell_.height();
    ascent_ = cell_.ascent();
  }

  // Lays the text out, or returns false when it must be shaped.
  bool Layout(const std::string& text, QGlyphRun& run, int& width) {
    glyphs_.clear();
    positions_.clear();
    const bool laid = Walk(text, width, [this](int c, qreal x) {
      glyphs_.push_back(glyph_[c]);
      positions_.push_back(QPointF(x, ascent_));
    });
    if (!laid) return false;
    run.setRawFont(raw_);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    return true;
  }

  // The width Layout would give, without the glyph lists: what measuring a text costs.
  bool Measure(const std::string& text, int& width) {
    return Walk(text, width, [](int, qreal) {});
  }

  int height() const { return height_; }

 private:
  static constexpr int kFirst = 0x20;
  static constexpr int kLast = 0x7E;
  static constexpr int kCount = kLast - kFirst + 1;
  enum : uint8_t { kUnknown, kGlyphs, kShaped };
  struct Pair {
    uint8_t kind = kUnknown;
    float kern = 0;  // the shift of the second glyph against the first one's advance
  };

  // Places each character of the text (its index in the table and its x) and gives the text's
  // width; false as soon as a character or a pair must be shaped.
  template <typename Place>
  bool Walk(const std::string& text, int& width, Place place) {
    if (!usable_) return false;
    qreal x = 0;
    int previous = -1;
    for (const char ch : text) {
      const int c = static_cast<unsigned char>(ch) - kFirst;
      if (c < 0 || c >= kCount) return false;
      if (previous >= 0) {
        const Pair& pair = Learn(previous, c);
        if (pair.kind == kShaped) return false;
        x += pair.kern;
      }
      place(c, x);
      x += advance_[c];
      previous = c;
    }
    width = qRound(x);
    return true;
  }

  // The pair shaped on its own: two glyphs, the font's own for the two characters, with the
  // second one shifted by the pair's kerning; anything else (a ligature, a substitution) is
  // left to shaping.
  const Pair& Learn(int a, int b) {
    Pair& pair = pair_[static_cast<std::size_t>(a * kCount + b)];
    if (pair.kind != kUnknown) return pair;
    pair.kind = kShaped;
    QString text;
    text += QChar(kFirst + a);
    text += QChar(kFirst + b);
    QTextLayout layout(text, font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1) return pair;
    const QList<quint32> glyphs = runs[0].glyphIndexes();
    const QList<QPointF> at = runs[0].positions();
    if (glyphs.size() != 2 || at.size() != 2 || glyphs[0] != glyph_[a] || glyphs[1] != glyph_[b]) return pair;
    const qreal kern = at[1].x() - at[0].x() - advance_[a];
    // The whole pair's advance must agree, or the text's width would not be the shaped one's.
    if (metrics_.horizontalAdvance(text) != advance_[a] + kern + advance_[b]) return pair;
    pair.kern = static_cast<float>(kern);
    pair.kind = kGlyphs;
    return pair;
  }

  QFont font_;
  QFontMetricsF metrics_;  // advances, unrounded
  QFontMetrics cell_;      // the cell's height and baseline, as shaped texts have them
  QRawFont raw_;
  bool usable_ = false;
  std::array<quint32, kCount> glyph_{};
  std::array<qreal, kCount> advance_{};
  std::array<Pair, kCount * kCount> pair_{};
  int height_ = 0;
  int ascent_ = 0;
  QList<quint32> glyphs_;
  QList<QPointF> positions_;
};

namespace {
// Each font the pages name (a handful), resolved once for the life of the program, with its
// glyph table made when a raster painter first draws in it.
struct KnownFont {
  QFont font;
  std::unique_ptr<AsciiGlyphs> glyphs;
};

KnownFont& Known(const FontSpec& spec) {
  static std::map<std::tuple<std::string, int, int>, KnownFont> fonts;
  const auto key = std::make_tuple(spec.face, spec.height, spec.weight);
  auto it = fonts.find(key);
  if (it == fonts.end()) it = fonts.emplace(key, KnownFont{FontFor(spec), nullptr}).first;
  return it->second;
}
}  // namespace

namespace {
// Glyph runs are drawn where the painter is a plain raster one: a printer or a PDF file gets
// shaped text, with whatever it does for fonts.
bool DrawsGlyphRuns(const QPainter& painter) {
  const QPaintEngine* engine = painter.paintEngine();
  return engine != nullptr && engine->type() == QPaintEngine::Raster &&
         painter.worldTransform().type() <= QTransform::TxTranslate;
}
}  // namespace

PlainTextDrawer::PlainTextDrawer(const QFont& font) : glyphs_(std::make_unique<AsciiGlyphs>(font)) {}
PlainTextDrawer::~PlainTextDrawer() = default;

bool PlainTextDrawer::Draw(QPainter& painter, QPointF at, const std::string& text) {
  if (!DrawsGlyphRuns(painter)) return false;
  QGlyphRun run;
  int width = 0;
  if (!glyphs_->Layout(text, run, width)) return false;
  if (!text.empty()) painter.drawGlyphRun(at, run);
  return true;
}

QtCanvas::QtCanvas(QPainter& painter, std::optional<AreaSize> area)
    : p_(painter), area_(area), linePen_(painter.pen()) {
  glyphsAllowed_ = DrawsGlyphRuns(p_);
}

QtCanvas::~QtCanvas() {
  if (p_.isActive()) UseLinePen();
}

void QtCanvas::UseTextPen() {
  if (textPenSet_ && textPenColour_ == text_) return;
  p_.setPen(ToQColor(text_));
  textPenSet_ = true;
  textPenColour_ = text_;
}

void QtCanvas::UseLinePen() {
  if (!textPenSet_) return;
  p_.setPen(linePen_);
  textPenSet_ = false;
}

void QtCanvas::SetFont(const FontSpec& font) {
  symbolFont_ = font.face == "Symbol";
  KnownFont& known = Known(font);
  p_.setFont(known.font);
  glyphs_ = nullptr;
  if (glyphsAllowed_ && !symbolFont_) {
    if (!known.glyphs) known.glyphs = std::make_unique<AsciiGlyphs>(known.font);
    glyphs_ = known.glyphs.get();
  }
}

void DrawnArea::Add(const QRect& r) {
  if (r.isEmpty()) return;
  bounds_ |= r;
  if (!rects_.empty() && rects_.back().adjusted(-1, -1, 1, 1).intersects(r)) {
    rects_.back() |= r;
  } else {
    rects_.push_back(r);
  }
}

QRegion DrawnArea::Region() const {
  if (rects_.size() > kMaxRects) return QRegion(bounds_);
  QRegion region;
  for (const QRect& r : rects_) region += r;
  return region;
}

void QtCanvas::Drawn(const QRect& r) {
  if (drawn_ != nullptr) drawn_->Add(r);
}

// A line's box widened by its pen on every side, so that antialiasing or a wide pen stays in.
void QtCanvas::DrawnLine(const QPoint& from, const QPoint& to) {
  if (drawn_ == nullptr) return;
  const int w = std::max(p_.pen().width(), 1) + 1;
  Drawn(QRect(QPoint(std::min(from.x(), to.x()) - w, std::min(from.y(), to.y()) - w),
              QPoint(std::max(from.x(), to.x()) + w, std::max(from.y(), to.y()) + w)));
}
void QtCanvas::SetTextColour(Colour c) { text_ = c; }
void QtCanvas::SetBackgroundMode(BackgroundMode mode) { mode_ = mode; }
void QtCanvas::SetBackgroundColour(Colour c) { background_ = c; }
void QtCanvas::SetTextAlignment(TextAlignment alignment) { align_ = alignment; }

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  QGlyphRun run;
  int width = 0;
  if (glyphs_ != nullptr && glyphs_->Layout(text, run, width)) {
    const PixelRect cell = TextCell(x, y, {width, glyphs_->height()}, align_);
    const QRect box(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
    if (mode_ == BackgroundMode::Opaque) p_.fillRect(box, ToQColor(background_));
    if (!text.empty()) {
      UseTextPen();
      p_.drawGlyphRun(QPointF(cell.left, cell.top), run);
    }
    // Glyphs may reach past the advance (italics, a wide last letter): a little margin.
    Drawn(box.adjusted(-2, 0, 2, 0));
    return;
  }
  const QString s = symbolFont_ ? SymbolFontText(text) : QString::fromStdString(text);
  const QFontMetrics m(p_.font());
  const PixelRect cell = TextCell(x, y, {m.horizontalAdvance(s), m.height()}, align_);
  if (mode_ == BackgroundMode::Opaque) {
    p_.fillRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, ToQColor(background_));
  }
  UseTextPen();
  p_.drawText(cell.left, cell.top + m.ascent(), s);
  Drawn(QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top).adjusted(-2, 0, 2, 0));
}

TextExtent QtCanvas::GetTextExtent(const std::string& text) {
  int width = 0;
  if (glyphs_ != nullptr && glyphs_->Measure(text, width)) return {width, glyphs_->height()};
  const QFontMetrics m(p_.font());
  return {m.horizontalAdvance(symbolFont_ ? SymbolFontText(text) : QString::fromStdString(text)), m.height()};
}

void QtCanvas::SetPen(PenStyle style, int width, Colour c) {
  if (style == PenStyle::None) {
    linePen_ = QPen(Qt::NoPen);
  } else {
    linePen_ = QPen(ToQColor(c), std::max(width, 1), style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
  }
  p_.setPen(linePen_);
  textPenSet_ = false;
}

void QtCanvas::SetBrush(Colour c) { p_.setBrush(ToQColor(c)); }
void QtCanvas::SetNoBrush() { p_.setBrush(Qt::NoBrush); }

void QtCanvas::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void QtCanvas::LineTo(int x, int y) {
  UseLinePen();
  const QPoint from(x_, y_);
  const QPoint to(x, y);
  x_ = x;
  y_ = y;
  if (from == to || p_.pen().style() == Qt::NoPen) return;
  DrawnLine(from, to);
  if (p_.pen().width() > 1) {
    DrawWideLine(from, to);
  } else {
    DrawThinLine(from, to);
  }
}

// A thin pen draws both end points: the last one is left out. A slanted line is drawn whole and
// clipped short of the end point's column (or row), so its pixels are those of the whole line.
void QtCanvas::DrawThinLine(const QPoint& from, const QPoint& to) {
  const int dx = to.x() - from.x();
  const int dy = to.y() - from.y();
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  if (dx == 0 || dy == 0) {
    const QPoint step(dx > 0 ? 1 : dx < 0 ? -1 : 0, dy > 0 ? 1 : dy < 0 ? -1 : 0);
    const QPoint last = to - step;
    if (last == from) {
      p_.drawPoint(from);
    } else {
      p_.drawLine(from, last);
    }
    return;
  }
  // Qt's QRect(QPoint, QPoint) of a reversed pair is not the box of the two points.
  int left = std::min(from.x(), to.x());
  int right = std::max(from.x(), to.x());
  int top = std::min(from.y(), to.y());
  int bottom = std::max(from.y(), to.y());
  if (xMajor && dx > 0) --right;
  if (xMajor && dx < 0) ++left;
  if (!xMajor && dy > 0) --bottom;
  if (!xMajor && dy < 0) ++top;
  p_.save();
  p_.setClipRect(QRect(QPoint(left, top), QPoint(right, bottom)), Qt::IntersectClip);
  p_.drawLine(from, to);
  p_.restore();
}

// A flat cap ends the stroke at the end point itself: the line covers its length exactly and
// the pen's width across it.
void QtCanvas::DrawWideLine(const QPoint& from, const QPoint& to) {
  const QPen saved = p_.pen();
  QPen flat = saved;
  flat.setCapStyle(Qt::FlatCap);
  p_.setPen(flat);
  p_.drawLine(from, to);
  p_.setPen(saved);
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
  UseLinePen();
  DrawnLine({left, top}, {right, bottom});
  p_.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void QtCanvas::FillRect(int left, int top, int right, int bottom, Colour c) {
  Drawn(QRect(left, top, right - left, bottom - top));
  p_.fillRect(left, top, right - left, bottom - top, ToQColor(c));
}

void QtCanvas::Ellipse(int left, int top, int right, int bottom) {
  UseLinePen();
  DrawnLine({left, top}, {right, bottom});
  p_.drawEllipse(left, top, right - left - 1, bottom - top - 1);
}

// A small satellite dish over a stand, in 12 x 16 pixels.
void QtCanvas::DrawCornerBitmap(int x, int y) {
  Drawn(QRect(x - 1, y - 1, 14, 18));
  UseLinePen();
  p_.save();
  p_.translate(x, y);
  p_.setPen(QPen(QColor(40, 40, 120), 1));
  p_.setBrush(QColor(200, 210, 240));
  p_.drawChord(0, 0, 12, 10, 200 * 16, 180 * 16);
  p_.drawLine(6, 6, 6, 14);
  p_.drawLine(2, 15, 10, 15);
  p_.restore();
}

// Images and pixmaps count device pixels; widgets and other devices count logical ones.
AreaSize QtCanvas::GetAreaSize() const {
  if (area_) return *area_;
  const QPaintDevice* device = p_.device();
  if (device == nullptr) return {};
  QSizeF size(device->width(), device->height());
  if (device->devType() == QInternal::Image) size = static_cast<const QImage*>(device)->deviceIndependentSize();
  if (device->devType() == QInternal::Pixmap) size = static_cast<const QPixmap*>(device)->deviceIndependentSize();
  return {qRound(size.width()), qRound(size.height())};
}

Colour QtCanvas::WindowTextColour() const { return FromQColor(QGuiApplication::palette().color(QPalette::WindowText)); }
Colour QtCanvas::WindowColour() const { return FromQColor(QGuiApplication::palette().color(QPalette::Base)); }

}  // namespace orv
