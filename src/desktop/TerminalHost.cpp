// The terminal windows' text view.
#include "desktop/TerminalHost.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

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
  advance_ = exact.horizontalAdvance(QLatin1Char('M'));
  for (int c = 0x20; raw_.isValid() && c <= 0xFF; ++c) {
    if (c >= 0x7F && c < 0xA0) continue;
    const QList<quint32> glyph = raw_.glyphIndexesForString(QString(QChar(c)));
    if (glyph.size() == 1 && glyph[0] != 0 && exact.horizontalAdvance(QChar(c)) == advance_) glyphs_[c] = glyph[0];
  }
  run_.setRawFont(raw_);
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
  UpdateRanges();
  v->setValue(atEnd ? v->maximum() : std::max(0, value - dropped));
  viewport()->update();
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
// a long line costs what its visible part costs.
void TerminalView::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  p.fillRect(event->rect(), palette().color(QPalette::Base));
  p.setPen(palette().color(QPalette::Text));
  p.setFont(font());
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
    const int baseline = kMargin + row * lineHeight_ + ascent_;
    if (LayOut(line, left, columns, baseline)) {
      if (!runGlyphs_.isEmpty()) p.drawGlyphRun(QPointF(0, 0), run_);
    } else if (line.size() > left) {
      const std::size_t n = std::min(columns, line.size() - left);
      p.drawText(kMargin, baseline, QString::fromLatin1(line.data() + left, static_cast<qsizetype>(n)));
    }
  }
}

// A tab moves on to the next column that is a multiple of eight.
bool TerminalView::LayOut(const std::string& line, std::size_t left, std::size_t columns, qreal y) {
  runGlyphs_.clear();
  runPositions_.clear();
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size() && column < left + columns; ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == '\t') {
      column = (column / kTabColumns + 1) * kTabColumns;
      continue;
    }
    const quint32 glyph = glyphs_[c];
    if (glyph == 0) return false;
    if (column >= left) {
      runGlyphs_.push_back(glyph);
      runPositions_.push_back(QPointF(kMargin + static_cast<qreal>(column - left) * advance_, y));
    }
    ++column;
  }
  run_.setGlyphIndexes(runGlyphs_);
  run_.setPositions(runPositions_);
  return true;
}

void TerminalView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
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
