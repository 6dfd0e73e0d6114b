// The terminal windows' text view.
#include "desktop/TerminalHost.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace orv {

namespace {
// Reads are shown at most ten times a second, as the pages' values are: nothing is lost,
// several reads show at once.
constexpr int kFrameMs = 100;
constexpr int kMargin = 4;
constexpr std::size_t kTabColumns = 8;
}  // namespace

TerminalView::TerminalView(const TerminalHistory& history, QWidget* parent)
    : QAbstractScrollArea(parent), history_(history) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics metrics(font());
  lineHeight_ = std::max(1, metrics.height());
  columnWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  ascent_ = metrics.ascent();
  raw_ = QRawFont::fromFont(font());
  const QFontMetricsF exact(font());
  const qreal advance = exact.horizontalAdvance(QLatin1Char('M'));
  for (int c = 0x20; raw_.isValid() && c <= 0xFF; ++c) {
    if (c >= 0x7F && c < 0xA0) continue;
    const QList<quint32> glyph = raw_.glyphIndexesForString(QString(QChar(c)));
    if (glyph.size() == 1 && glyph[0] != 0 && exact.horizontalAdvance(QChar(c)) == advance) glyphs_[c] = glyph[0];
  }
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(1);
  UpdateRanges();
}

int TerminalView::RowsInSight() const { return std::max(1, (viewport()->height() - kMargin) / lineHeight_); }

// The vertical bar counts lines, the horizontal one columns.
void TerminalView::UpdateRanges() {
  const auto& lines = history_.lines();
  const int rows = RowsInSight();
  QScrollBar* v = verticalScrollBar();
  v->setPageStep(rows);
  v->setRange(0, std::max(0, static_cast<int>(lines.size()) - rows));
  // The widest line is looked for among the lines new since the last look (the last line of
  // then may have grown) unless it has left the history; a tab takes at most eight columns.
  const uint64_t first = history_.firstLineNumber();
  const uint64_t end = first + lines.size();
  uint64_t from = std::max(first, scannedTo_ > 0 ? scannedTo_ - 1 : 0);
  if (widestLine_ < first || scannedTo_ < first || scannedTo_ > end) {
    widest_ = 0;
    from = first;
  }
  for (uint64_t number = from; number < end; ++number) {
    const std::string& line = lines[static_cast<std::size_t>(number - first)];
    const auto tabs = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
    const std::size_t width = line.size() + tabs * (kTabColumns - 1);
    if (width >= widest_) {
      widest_ = width;
      widestLine_ = number;
    }
  }
  scannedTo_ = end;
  const std::size_t widest = widest_;
  const int columns = std::max(1, (viewport()->width() - 2 * kMargin) / columnWidth_);
  QScrollBar* h = horizontalScrollBar();
  h->setPageStep(columns);
  h->setRange(0, std::max(0, static_cast<int>(widest) - columns + 1));
}

void TerminalView::Refresh() {
  QScrollBar* v = verticalScrollBar();
  const bool atEnd = v->value() == v->maximum();
  // Lines that left the history since the last refresh move what is in sight up: the value
  // follows them, so that the lines being read stay where they are.
  const uint64_t first = history_.firstLineNumber();
  const int dropped = first >= firstShown_ ? static_cast<int>(std::min<uint64_t>(first - firstShown_, 1u << 30)) : 0;
  const int value = v->value();
  firstShown_ = first;
  refreshing_ = true;
  UpdateRanges();
  v->setValue(atEnd ? v->maximum() : std::max(0, value - dropped));
  refreshing_ = false;
  ShowChanges();
}

void TerminalView::ShowChanges() {
  const uint64_t first = history_.firstLineNumber();
  const uint64_t top = first + static_cast<uint64_t>(verticalScrollBar()->value());
  const uint64_t end = first + history_.lines().size();
  const int left = horizontalScrollBar()->value();
  const auto rows = static_cast<uint64_t>(RowsInSight());
  const bool moved = !shownValid_ || history_.clearCount() != shownClears_ || left != shownLeft_ ||
                     top < shownTop_ || top - shownTop_ >= rows || end < shownEnd_;
  if (moved) {
    viewport()->update();
  } else {
    // The lines move up by the rows the top moved; below them come the new lines, the line
    // that was last then (it may have grown since) and the row the part-shown row at the
    // bottom moved into.
    const int shift = static_cast<int>(top - shownTop_);
    const QRect text(0, kMargin, viewport()->width(), std::max(0, viewport()->height() - kMargin));
    if (shift > 0) viewport()->scroll(0, -shift * lineHeight_, text);
    const uint64_t lastThen = shownEnd_ > top ? shownEnd_ - 1 - top : 0;
    const auto from = static_cast<int>(std::min(lastThen, rows - static_cast<uint64_t>(shift)));
    viewport()->update(text.adjusted(0, from * lineHeight_, 0, 0));
  }
  shownValid_ = true;
  shownTop_ = top;
  shownEnd_ = end;
  shownLeft_ = left;
  shownClears_ = history_.clearCount();
}

// The user's scrolling and the ranges' own corrections repaint everything; a refresh shows
// only what changed.
void TerminalView::scrollContentsBy(int, int) {
  if (refreshing_) return;
  shownValid_ = false;
  viewport()->update();
}

void TerminalView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  shownValid_ = false;
}

QString TerminalView::VisibleText() const {
  const auto& lines = history_.lines();
  const std::size_t top = static_cast<std::size_t>(verticalScrollBar()->value());
  const std::size_t end = std::min(lines.size(), top + static_cast<std::size_t>(RowsInSight()));
  QString text;
  for (std::size_t i = top; i < end; ++i) {
    if (i > top) text += QLatin1Char('\n');
    text += QString::fromLatin1(lines[i]);
  }
  return text;
}

QString TerminalView::AllText() const { return QString::fromLatin1(history_.Text()); }

// Only the lines and columns in sight are drawn; a line's text is cut to the columns shown, so
// a long line costs what its visible part costs. Each character is a tile copied into place,
// which costs a fraction of drawing its glyph: a streaming port redraws the whole view at each
// frame. Where the screen's pixel ratio is not a whole number the cells would not fall on
// whole pixels, and the lines are drawn as text.
void TerminalView::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QColor base = palette().color(QPalette::Base);
  const QColor text = palette().color(QPalette::Text);
  p.fillRect(event->rect(), base);
  p.setPen(text);
  p.setFont(font());
  const qreal ratioF = viewport()->devicePixelRatioF();
  const int ratio = static_cast<int>(ratioF);
  const bool tiled = ratio >= 1 && ratio == ratioF;
  if (tiled && (tiles_.isNull() || tileBase_ != base || tileText_ != text || tileRatio_ != ratio)) {
    MakeTiles(base, text, ratio);
  }
  const auto& lines = history_.lines();
  const std::size_t top = static_cast<std::size_t>(verticalScrollBar()->value());
  const std::size_t left = static_cast<std::size_t>(horizontalScrollBar()->value());
  const std::size_t columns = static_cast<std::size_t>(viewport()->width() / columnWidth_ + 2);
  const int firstRow = std::max(0, (event->rect().top() - kMargin) / lineHeight_);
  const int lastRow = (event->rect().bottom() - kMargin) / lineHeight_;
  for (int row = firstRow; row <= lastRow; ++row) {
    const std::size_t i = top + static_cast<std::size_t>(row);
    if (i >= lines.size()) break;
    const std::string& line = lines[i];
    const int rowTop = kMargin + row * lineHeight_;
    if (tiled && Compose(line, left, columns)) {
      p.drawImage(QPoint(0, rowTop), strip_);
    } else if (line.size() > left) {
      const std::size_t n = std::min(columns, line.size() - left);
      p.drawText(kMargin, rowTop + ascent_, QString::fromLatin1(line.data() + left, static_cast<qsizetype>(n)));
    }
  }
}

void TerminalView::MakeTiles(const QColor& base, const QColor& text, int ratio) {
  tiles_ = QImage(256 * columnWidth_ * ratio, lineHeight_ * ratio, QImage::Format_RGB32);
  tiles_.setDevicePixelRatio(ratio);
  tiles_.fill(base);
  QPainter p(&tiles_);
  p.setPen(text);
  QGlyphRun run;
  run.setRawFont(raw_);
  for (int c = 0; c < 256; ++c) {
    if (glyphs_[static_cast<std::size_t>(c)] == 0) continue;
    // Each tile is drawn clipped to its cell, so that no glyph spills into its neighbour's.
    p.setClipRect(c * columnWidth_, 0, columnWidth_, lineHeight_);
    run.setGlyphIndexes({glyphs_[static_cast<std::size_t>(c)]});
    run.setPositions({QPointF(c * columnWidth_, ascent_)});
    p.drawGlyphRun(QPointF(0, 0), run);
  }
  tileBase_ = base;
  tileText_ = text;
  tileRatio_ = ratio;
}

// A tab moves on to the next column that is a multiple of eight.
bool TerminalView::Compose(const std::string& line, std::size_t left, std::size_t columns) {
  const int ratio = tileRatio_;
  const int width = viewport()->width() * ratio;
  const int cell = columnWidth_ * ratio;
  const int height = lineHeight_ * ratio;
  if (strip_.width() != width || strip_.height() != height) {
    strip_ = QImage(std::max(1, width), height, QImage::Format_RGB32);
    strip_.setDevicePixelRatio(ratio);
  }
  strip_.fill(tileBase_);
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size() && column < left + columns; ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == '\t') {
      column = (column / kTabColumns + 1) * kTabColumns;
      continue;
    }
    if (glyphs_[c] == 0) return false;
    if (column >= left && c != ' ') {
      const int x = (kMargin + static_cast<int>(column - left) * columnWidth_) * ratio;
      const int n = std::min(cell, width - x);
      for (int y = 0; n > 0 && y < height; ++y) {
        std::memcpy(strip_.scanLine(y) + 4 * x, tiles_.constScanLine(y) + 4 * c * cell, 4 * static_cast<std::size_t>(n));
      }
    }
    ++column;
  }
  return true;
}

void TerminalView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  shownValid_ = false;
  QScrollBar* v = verticalScrollBar();
  const bool atEnd = v->value() == v->maximum();
  UpdateRanges();
  if (atEnd) v->setValue(v->maximum());
}

void TerminalView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(AllText());
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

TerminalHost::TerminalHost(QWidget* owner, int command)
    : WindowHost(owner, command), view_(new TerminalView(history_, this)) {
  view_->setObjectName("AuxTerminalText");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  history_.SetOnChange([this] {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(kFrameMs, this, [this] { Render(); });
  });
}

TerminalHost::~TerminalHost() {
  history_.SetOnChange(nullptr);
  if (onGone_) onGone_();
}

void TerminalHost::Render() {
  pending_ = false;
  view_->Refresh();
}

}  // namespace orv
