// Small pieces of the Qt desktop shared by the main window and the pages: painted icons, the
// font families behind the faces the pages name, file dialog filters and the QPainter canvas.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <optional>
#include <string>

#include "desktop/QtCanvas.h"

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

// "Log Files (*.log) |*.log|All Files (*.*) |*.*||" as a Qt filter list.
QString QtFileFilter(const std::string& filter);

// A screen rectangle from stored edges (configuration file, profile) that may be anything:
// the size is worked out without overflow and kept within minWidth x minHeight .. 65535.
QRect RectFromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom, int minWidth, int minHeight);
QRect RectFromSize(int64_t left, int64_t top, int64_t width, int64_t height, int minWidth, int minHeight);

}  // namespace orv
