// Painted toolbar icons, font mapping, file dialog filters and the QPainter canvas.
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include "ids/CommandIds.h"
#include "forms/FileFilter.h"
#include "desktop/DesktopSupport.h"

namespace orv {

namespace {

enum class Shape { Badge, Window, Plug, Folder, Disk, Stop, Record, Gear, Rate, Search, Info, Plot, Sky };

struct IconSpec {
  int command;
  Shape shape;
  const char* label;
  QRgb colour;
};

constexpr QRgb kBlue = 0xFF2F5FA8, kGreen = 0xFF2E8B57, kTeal = 0xFF1F7A7A, kPurple = 0xFF6A4C9C;
constexpr QRgb kOrange = 0xFFC0651B, kGrey = 0xFF5A6270, kRed = 0xFFB22222;

const IconSpec kIcons[] = {
    {cmd::kAbout, Shape::Info, "", kBlue},
    {cmd::kProtocol, Shape::Badge, "P", kPurple},
    {cmd::kClearNvm, Shape::Badge, "NV", kRed},
    {cmd::kSvDeselection, Shape::Badge, "SV", kGrey},
    {cmd::kChannelDeselection, Shape::Badge, "CH", kGrey},
    {cmd::kMaskAngle, Shape::Badge, "MA", kTeal},
    {cmd::kOperatingMode, Shape::Gear, "", kGrey},
    {cmd::kTimingParameters, Shape::Badge, "T", kTeal},
    {cmd::kSetDatum, Shape::Badge, "D", kGreen},
    {cmd::kRestartSystem, Shape::Badge, "R", kRed},
    {cmd::kWndLlh, Shape::Window, "LLH", kBlue},
    {cmd::kWndXyz, Shape::Window, "XYZ", kBlue},
    {cmd::kWndPlot, Shape::Plot, "", kGreen},
    {cmd::kWndChannelAssignment, Shape::Window, "CH", kTeal},
    {cmd::kWndMeasurements, Shape::Window, "ME", kTeal},
    {cmd::kWndEphemeris, Shape::Window, "EP", kTeal},
    {cmd::kWndSvStatus, Shape::Window, "SV", kPurple},
    {cmd::kWndSvPosition, Shape::Sky, "", kPurple},
    {cmd::kWndReceiverStatus, Shape::Window, "RS", kGrey},
    {cmd::kWndReceivedMessages, Shape::Window, "#", kOrange},
    {cmd::kWndDisplayMessages, Shape::Window, "0x", kOrange},
    {cmd::kWndTerminal, Shape::Window, ">_", kGrey},
    {cmd::kSerialPort, Shape::Plug, "", kBlue},
    {cmd::kOpenLogFile, Shape::Folder, "", kOrange},
    {cmd::kSaveMainPortData, Shape::Record, "", kRed},
    {cmd::kStop, Shape::Stop, "", kRed},
    {cmd::kPlaybackRate, Shape::Rate, "", kTeal},
    {cmd::kSaveConfig, Shape::Disk, "", kBlue},
    {cmd::kAutoConnect, Shape::Search, "", kGreen},
    {cmd::kPortAny, Shape::Badge, "C?", kGrey},
    {cmd::kFileManagerDialog, Shape::Badge, "FM", kOrange},
    {cmd::kWndFileManager, Shape::Window, "FM", kOrange},
    {cmd::kDownloadFile, Shape::Badge, "DL", kGreen},
    {cmd::kWndFileInformation, Shape::Window, "FI", kOrange},
    {cmd::kWndStatusConfiguration, Shape::Window, "SC", kOrange},
    {cmd::kWndAlmanac, Shape::Window, "AL", kPurple},
    {cmd::kPowerControl, Shape::Badge, "PW", kRed},
};

void DrawLabel(QPainter& p, const QRect& r, const QString& label, QColor colour) {
  QFont f("DejaVu Sans");
  f.setBold(true);
  f.setPixelSize(label.size() > 2 ? 7 : 9);
  p.setFont(f);
  p.setPen(colour);
  p.drawText(r, Qt::AlignCenter, label);
}

void DrawShape(QPainter& p, Shape shape, const QString& label, QColor c) {
  const QColor dark = c.darker(150);
  p.setPen(QPen(dark, 1));
  switch (shape) {
    case Shape::Window:
      p.setBrush(Qt::white);
      p.drawRect(1, 2, 17, 15);
      p.fillRect(2, 3, 16, 4, c);
      DrawLabel(p, QRect(1, 7, 18, 10), label, dark);
      break;
    case Shape::Plug:
      p.setBrush(c);
      p.drawRoundedRect(3, 5, 14, 9, 2, 2);
      p.setBrush(Qt::white);
      for (int x : {6, 10, 14}) p.drawEllipse(QPoint(x - 1, 9), 1, 1);
      p.drawLine(10, 14, 10, 18);
      break;
    case Shape::Folder:
      p.setBrush(c.lighter(130));
      p.drawRect(2, 6, 16, 11);
      p.setBrush(c);
      p.drawRect(2, 4, 7, 3);
      break;
    case Shape::Disk:
      p.setBrush(c);
      p.drawRect(2, 2, 16, 16);
      p.fillRect(5, 3, 10, 5, Qt::white);
      p.fillRect(5, 11, 10, 6, c.lighter(160));
      break;
    case Shape::Stop: {
      QPolygon oct;
      for (auto [x, y] : {std::pair{6, 1}, {13, 1}, {18, 6}, {18, 13}, {13, 18}, {6, 18}, {1, 13}, {1, 6}}) oct << QPoint(x, y);
      p.setBrush(c);
      p.drawPolygon(oct);
      p.fillRect(6, 6, 8, 8, Qt::white);
      break;
    }
    case Shape::Record:
      p.setBrush(c);
      p.drawEllipse(3, 3, 14, 14);
      break;
    case Shape::Gear:
      p.setBrush(c);
      for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(10, 10);
        p.rotate(45 * i);
        p.drawRect(-2, -9, 4, 18);
        p.restore();
      }
      p.drawEllipse(QPoint(10, 10), 6, 6);
      p.setBrush(Qt::white);
      p.drawEllipse(QPoint(10, 10), 2, 2);
      break;
    case Shape::Rate:
      p.drawLine(2, 10, 18, 10);
      p.setBrush(c);
      p.drawRect(9, 4, 4, 12);
      for (int x : {2, 6, 14, 18}) p.drawLine(x, 15, x, 17);
      break;
    case Shape::Search:
      p.setBrush(c.lighter(170));
      p.drawEllipse(2, 2, 11, 11);
      p.setPen(QPen(dark, 3));
      p.drawLine(12, 12, 17, 17);
      break;
    case Shape::Info:
      p.setBrush(c);
      p.drawEllipse(2, 2, 16, 16);
      DrawLabel(p, QRect(2, 2, 16, 16), "i", Qt::white);
      break;
    case Shape::Plot:
      p.setBrush(Qt::white);
      p.drawRect(1, 1, 18, 18);
      p.setPen(QPen(Qt::lightGray, 1));
      p.drawLine(10, 2, 10, 18);
      p.drawLine(2, 10, 18, 10);
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      for (auto [x, y] : {std::pair{7, 8}, {11, 6}, {13, 12}, {8, 13}}) p.drawEllipse(QPoint(x, y), 2, 2);
      break;
    case Shape::Sky:
      p.setBrush(Qt::white);
      p.drawEllipse(1, 1, 18, 18);
      p.drawEllipse(6, 6, 8, 8);
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      for (auto [x, y] : {std::pair{5, 6}, {14, 8}, {11, 15}}) p.drawEllipse(QPoint(x, y), 2, 2);
      break;
    case Shape::Badge:
      p.setBrush(c);
      p.drawRoundedRect(1, 3, 18, 14, 3, 3);
      DrawLabel(p, QRect(1, 3, 18, 14), label, Qt::white);
      break;
  }
}

QIcon PaintIcon(Shape shape, const QString& label, QColor colour) {
  QIcon icon;
  for (int scale : {1, 2}) {
    QPixmap pm(kToolIconSize * scale, kToolIconSize * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawShape(p, shape, label, colour);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }
Colour FromQColor(const QColor& c) {
  return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}
}  // namespace

QIcon CommandIcon(int command) {
  for (const IconSpec& s : kIcons) {
    if (s.command == command) return PaintIcon(s.shape, s.label, QColor::fromRgba(s.colour));
  }
  if (command >= cmd::kPortCom1 && command <= cmd::kPortCom4) {
    return PaintIcon(Shape::Badge, QString("C%1").arg(command - cmd::kPortCom1 + 1), QColor::fromRgba(kGrey));
  }
  switch (command) {
    case cmd::kBaud2400: return PaintIcon(Shape::Badge, "2k4", QColor::fromRgba(kTeal));
    case cmd::kBaud4800: return PaintIcon(Shape::Badge, "4k8", QColor::fromRgba(kTeal));
    case cmd::kBaud9600: return PaintIcon(Shape::Badge, "9k6", QColor::fromRgba(kTeal));
    case cmd::kBaud19200: return PaintIcon(Shape::Badge, "19k", QColor::fromRgba(kTeal));
    case cmd::kBaud38400: return PaintIcon(Shape::Badge, "38k", QColor::fromRgba(kTeal));
    case cmd::kBaud57600: return PaintIcon(Shape::Badge, "57k", QColor::fromRgba(kTeal));
    case cmd::kBaud115200: return PaintIcon(Shape::Badge, "115", QColor::fromRgba(kTeal));
    default: break;
  }
  return PaintIcon(Shape::Badge, "?", QColor::fromRgba(kGrey));
}

QIcon ApplicationIcon() { return PaintIcon(Shape::Sky, "", QColor::fromRgba(kBlue)); }

bool InstallFonts() {
  QFont::insertSubstitution(kFaceSansSerif, "DejaVu Sans");
  QFont::insertSubstitution(kFaceFixed, "DejaVu Sans Mono");
  const QStringList families = QFontDatabase::families();
  const bool present = families.contains("DejaVu Sans") && families.contains("DejaVu Sans Mono");
  QFont app("DejaVu Sans");
  app.setPointSize(9);
  QApplication::setFont(app);
  return present;
}

QFont FontFor(const FontSpec& font) {
  const bool fixed = font.face == kFaceFixed;
  QFont f(fixed ? "DejaVu Sans Mono" : "DejaVu Sans");
  if (fixed) f.setStyleHint(QFont::Monospace);
  f.setPixelSize(font.height > 0 ? font.height : 10);
  f.setWeight(static_cast<QFont::Weight>(font.weight <= 0 ? 400 : std::clamp(font.weight, 100, 900)));
  return f;
}

QRect RectFromSize(int64_t left, int64_t top, int64_t width, int64_t height, int minWidth, int minHeight) {
  static constexpr int64_t kLargest = 65535;
  const auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kLargest, kLargest)); };
  const auto size = [](int64_t v, int least) { return static_cast<int>(std::clamp<int64_t>(v, least, kLargest)); };
  return QRect(at(left), at(top), size(width, minWidth), size(height, minHeight));
}

QRect RectFromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom, int minWidth, int minHeight) {
  return RectFromSize(left, top, int64_t{right} - left, int64_t{bottom} - top, minWidth, minHeight);
}

QString QtFileFilter(const std::string& filter) {
  QStringList entries;
  for (const FileFilterEntry& e : ParseFileFilter(filter)) {
    QStringList patterns;
    for (const std::string& p : e.patterns) patterns << (p == "*.*" ? QString("*") : QString::fromStdString(p));
    QString description = QString::fromStdString(e.description);
    // Qt reads the patterns from the parentheses of the description.
    const int open = description.indexOf('(');
    if (open >= 0) description = description.left(open).trimmed();
    entries << QString("%1 (%2)").arg(description, patterns.join(' '));
  }
  return entries.join(";;");
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

QtCanvas::QtCanvas(QPainter& painter, std::optional<AreaSize> area) : p_(painter), area_(area) {}

void QtCanvas::SetFont(const FontSpec& font) {
  symbolFont_ = font.face == "Symbol";
  p_.setFont(FontFor(font));
}
void QtCanvas::SetTextColour(Colour c) { text_ = c; }
void QtCanvas::SetBackgroundMode(BackgroundMode mode) { mode_ = mode; }
void QtCanvas::SetBackgroundColour(Colour c) { background_ = c; }
void QtCanvas::SetTextAlignment(TextAlignment alignment) { align_ = alignment; }

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  const QString s = symbolFont_ ? SymbolFontText(text) : QString::fromStdString(text);
  const QFontMetrics m(p_.font());
  const PixelRect cell = TextCell(x, y, {m.horizontalAdvance(s), m.height()}, align_);
  if (mode_ == BackgroundMode::Opaque) {
    p_.fillRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, ToQColor(background_));
  }
  const QPen saved = p_.pen();
  p_.setPen(ToQColor(text_));
  p_.drawText(cell.left, cell.top + m.ascent(), s);
  p_.setPen(saved);
}

TextExtent QtCanvas::GetTextExtent(const std::string& text) {
  const QFontMetrics m(p_.font());
  return {m.horizontalAdvance(symbolFont_ ? SymbolFontText(text) : QString::fromStdString(text)), m.height()};
}

void QtCanvas::SetPen(PenStyle style, int width, Colour c) {
  if (style == PenStyle::None) {
    p_.setPen(Qt::NoPen);
    return;
  }
  p_.setPen(QPen(ToQColor(c), std::max(width, 1), style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine));
}

void QtCanvas::SetBrush(Colour c) { p_.setBrush(ToQColor(c)); }
void QtCanvas::SetNoBrush() { p_.setBrush(Qt::NoBrush); }

void QtCanvas::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void QtCanvas::LineTo(int x, int y) {
  const QPoint from(x_, y_);
  const QPoint to(x, y);
  x_ = x;
  y_ = y;
  if (from == to || p_.pen().style() == Qt::NoPen) return;
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
  p_.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void QtCanvas::FillRect(int left, int top, int right, int bottom, Colour c) {
  p_.fillRect(left, top, right - left, bottom - top, ToQColor(c));
}

void QtCanvas::Ellipse(int left, int top, int right, int bottom) {
  p_.drawEllipse(left, top, right - left - 1, bottom - top - 1);
}

// A small satellite dish over a stand, in 12 x 16 pixels.
void QtCanvas::DrawCornerBitmap(int x, int y) {
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

Colour QtCanvas::WindowTextColour() const { return FromQColor(QApplication::palette().color(QPalette::WindowText)); }
Colour QtCanvas::WindowColour() const { return FromQColor(QApplication::palette().color(QPalette::Base)); }

}  // namespace orv
