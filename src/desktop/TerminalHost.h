// The "Terminal" and "Auxillary Port Data Window" windows: a scrolling text view of what a port
// reads. The lines and their bounded history are the core's TerminalHistory; the view draws the
// lines that are in sight and nothing else, at most ten times a second however many reads
// arrive, so that a streaming port (binary data shows as text too) costs next to nothing: the
// lines already drawn move up on the screen as they are, and only the new ones are drawn.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRawFont>

#include <array>
#include <functional>

#include "desktop/MainWindow.h"
#include "windows/TerminalHistory.h"

namespace orv {

class TerminalView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  TerminalView(const TerminalHistory& history, QWidget* parent);

  // Brings the scroll range up to the history and repaints; follows the newest line unless the
  // user has scrolled back to read, and then keeps the lines read in place.
  void Refresh();
  // The lines in sight, joined by LF (what the view draws).
  QString VisibleText() const;
  // The whole history, as Ctrl+C copies it.
  QString AllText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void changeEvent(QEvent* event) override;

 private:
  int RowsInSight() const;
  // After a refresh: moves the lines still in sight to their new rows and repaints the rows
  // whose text is new (or everything, when the view moved otherwise).
  void ShowChanges();
  void UpdateRanges();
  // Draws each character the font has a glyph for once, in the view's colours, into a cell
  // of the character grid (the tiles).
  void MakeTiles(const QColor& base, const QColor& text, int ratio);
  // Puts the line's characters from `left` on, at most `columns` of them, side by side from
  // the tiles into the strip; false when one of them has no glyph (the line is drawn as shaped
  // text then).
  bool Compose(const std::string& line, std::size_t left, std::size_t columns);

  const TerminalHistory& history_;
  int lineHeight_ = 1;
  int columnWidth_ = 1;
  int ascent_ = 0;
  uint64_t firstShown_ = 0;
  // The widest line's width in columns and its number, and the line numbers looked at so far.
  std::size_t widest_ = 0;
  uint64_t widestLine_ = 0;
  uint64_t scannedTo_ = 0;
  // What the screen shows since the last refresh: the line numbers at the top row and past the
  // last line then, the first column, and the history's clear count; invalid after anything
  // else moved the view (the user scrolling, a resize, a new font).
  bool shownValid_ = false;
  bool refreshing_ = false;
  uint64_t shownTop_ = 0;
  uint64_t shownEnd_ = 0;
  int shownLeft_ = 0;
  uint64_t shownClears_ = 0;
  // The fixed font's glyph for each character it can show, 0 for none: every character has the
  // same advance, so a line is laid out without shaping.
  QRawFont raw_;
  std::array<quint32, 256> glyphs_{};
  // The tiles side by side, one character grid cell each, at the screen's pixel ratio, and the
  // colours they were drawn in; a line is composed from them into the strip, one row of cells,
  // and the strip goes to the screen in one piece.
  QImage tiles_;
  QColor tileBase_;
  QColor tileText_;
  int tileRatio_ = 0;
  QImage strip_;
};

class TerminalHost : public WindowHost, public TerminalLink {
  Q_OBJECT
 public:
  TerminalHost(QWidget* owner, int command);
  ~TerminalHost() override;

  void ShowText(const char* text, uint32_t length) override { history_.ShowText(text, length); }
  const TerminalHistory& history() const { return history_; }
  TerminalView* view() const { return view_; }
  // Shows what is pending now (the tests' way of waiting for the event loop).
  void Render();
  // Called when the host goes, so the frame stops writing to it.
  void SetOnGone(std::function<void()> onGone) { onGone_ = std::move(onGone); }

 private:
  TerminalHistory history_;
  TerminalView* view_;
  bool pending_ = false;
  std::function<void()> onGone_;
};

}  // namespace orv
