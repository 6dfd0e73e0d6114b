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

}  // namespace orv
