// The "Terminal" and "Auxillary Port Data Window" windows: a scrolling text view of what a port
// reads. The lines and their bounded history are the core's TerminalHistory; the view draws the
// lines that are in sight and nothing else, at most ten times a second however many reads
// arrive, so that a streaming port (binary data shows as text too) costs next to nothing.
#pragma once

#include <QAbstractScrollArea>
#include <QGlyphRun>
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

 private:
  int RowsInSight() const;
  void UpdateRanges();
  // Lays out the line's characters from `left` on, at most `columns` of them, as a run of the
  // font's glyphs; false when one of them has none (it is drawn as shaped text then).
  bool LayOut(const std::string& line, std::size_t left, std::size_t columns, qreal y);

  const TerminalHistory& history_;
  int lineHeight_ = 1;
  int columnWidth_ = 1;
  int ascent_ = 0;
  uint64_t firstShown_ = 0;
  // The widest line's width in columns and its number, and the line numbers looked at so far.
  std::size_t widest_ = 0;
  uint64_t widestLine_ = 0;
  uint64_t scannedTo_ = 0;
  // The fixed font's glyph for each character it can show, 0 for none: every character has the
  // same advance, so a line is laid out without shaping.
  QRawFont raw_;
  std::array<quint32, 256> glyphs_{};
  qreal advance_ = 0;
  QGlyphRun run_;
  QList<quint32> runGlyphs_;
  QList<QPointF> runPositions_;
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
