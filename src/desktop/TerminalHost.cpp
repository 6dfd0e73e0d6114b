// The aux data window's text view.
#include "desktop/TerminalHost.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace orv {

TerminalHost::TerminalHost(QWidget* owner, int command) : WindowHost(owner, command), view_(new QPlainTextEdit(this)) {
  view_->setObjectName("AuxTerminalText");
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  history_.SetOnChange([this] {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] { Render(); });
  });
}

TerminalHost::~TerminalHost() {
  history_.SetOnChange(nullptr);
  if (onGone_) onGone_();
}

void TerminalHost::Render() {
  pending_ = false;
  QScrollBar* bar = view_->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  view_->setPlainText(QString::fromLatin1(history_.Text()));
  // Follows the newest text unless the user has scrolled back to read.
  if (atEnd) bar->setValue(bar->maximum());
}

}  // namespace orv
