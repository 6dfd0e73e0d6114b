// The main window: frame creation order, menus and toolbars rendered from the core model,
// status bar panes, timers, message window hosts, placement and toolbar layout.
#include "desktop/MainWindow.h"

#include <QDateTime>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QGuiApplication>
#include <QSettings>
#include <QStatusBar>
#include <QPainter>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <memory>
#include <vector>

#include "ids/CommandIds.h"
#include "app/ToolbarModel.h"
#include "app/WindowPlacement.h"
#include "desktop/DesktopSupport.h"
#include "app/ConsolePages.h"
#include "desktop/PageHost.h"
#include "desktop/QtCanvas.h"
#include "desktop/PagePrinting.h"
#include "desktop/TerminalHost.h"

namespace orv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

Qt::ToolBarArea ToQtArea(DockArea a) {
  switch (a) {
    case DockArea::Left:
      return Qt::LeftToolBarArea;
    case DockArea::Right:
      return Qt::RightToolBarArea;
    case DockArea::Bottom:
      return Qt::BottomToolBarArea;
    case DockArea::Top:
      break;
  }
  return Qt::TopToolBarArea;
}

// The text and prompt of a command wherever a menu defines it (toolbar buttons of commands
// that the current protocol's menus do not show still need them).
std::pair<std::string, std::string> CommandText(int id) {
  for (int protocol : {kProtocolKtx, kProtocolNmea}) {
    const MenuItems bar = BuildMenuBar(protocol);
    if (const MenuItem* m = FindCommand(bar, id)) return {m->text, m->prompt};
  }
  if (const int rate = BaudButtonRate(id)) return {std::to_string(rate), "Main port baud rate\n" + std::to_string(rate)};
  if (id == cmd::kPortAny) return {"COM", "Open the first free port\nCOM"};
  if (id >= cmd::kPortCom1 && id <= cmd::kPortCom4) {
    const std::string name = "COM" + std::to_string(id - cmd::kPortCom1 + 1);
    return {name, "Open the main port on the next free port\n" + name};
  }
  return {std::to_string(id), ""};
}

constexpr int kMinDefaultWidth = 900;
constexpr int kMinDefaultHeight = 700;

// Placement show states, as the profile entry stores them.
constexpr uint32_t kShowNormal = 1;
constexpr uint32_t kShowMinimized = 2;
constexpr uint32_t kShowMaximized = 3;
}  // namespace

WindowHost::WindowHost(QWidget* owner, int command) : QWidget(owner, Qt::Window), command_(command) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAutoFillBackground(true);
}

void WindowHost::closeEvent(QCloseEvent* event) {
  if (!closingByFrame_) emit closedByUser(command_);
  QWidget::closeEvent(event);
}

MainWindow::MainWindow(MainWindowOptions options) : modal_(std::move(options.modal)) {
  if (!modal_) modal_ = MakeDialogRunner();
  settings_ = options.settingsFile.empty()
                  ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Orvantis", "Orvantis")
                  : std::make_unique<QSettings>(Q(options.settingsFile), QSettings::IniFormat);
  profile_ = std::make_unique<SettingsProfile>(*settings_);
  setObjectName("MainWindow");
  setWindowIcon(ApplicationIcon());

  BuildStatusBar();
  frame_ = std::make_unique<CMainFrame>(*this, options.ports);
  commands_ = std::make_unique<FrameCommands>(*frame_, *this);
  printer_ = std::make_unique<QtPagePrinter>(this);
  pages_ = std::make_unique<ConsolePages>(*frame_, commands_->windows(), *this, printer_.get());
  RestorePlacement();
  frame_->RestoreTitle();
  // Loading posts the commands of the windows to reopen; they run once the loop starts.
  // Stored rectangles must lie on the desktop as it is now (all screens together).
  std::optional<ScreenRect> desktopArea;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->virtualGeometry();
    desktopArea = ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
  if (!options.configPath.empty()) commands_->LoadConfiguration(options.configPath, desktopArea);
  BuildToolbars();
  if (const auto state = LoadBarState(*profile_)) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)));
  RenderMenuBar();
}

MainWindow::~MainWindow() {
  // The aux window outlives the frame (it goes with the widgets): it must not call back.
  if (auxTerminal_) auxTerminal_->SetOnGone(nullptr);
  if (frame_) frame_->SetAuxWindow(nullptr);
  pages_.reset();
  commands_.reset();
  frame_.reset();
}

namespace {
// A counting pane: drawn as a label is, its text from the font's glyph table without shaping,
// which costs a fraction of a label's layout at each of its ten changes a second. Its texts are
// port names, rates and counts; anything else is drawn as a label draws it.
class CountingPane : public QLabel {
 public:
  explicit CountingPane(QWidget* parent) : QLabel(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (!plain_ || plainFont_ != font()) {
      plain_ = std::make_unique<PlainTextDrawer>(font());
      plainFont_ = font();
    }
    QPainter p(this);
    drawFrame(&p);
    // A framed label keeps its text half an 'x' from the frame, and centres it upright.
    const QRect r = contentsRect();
    const QFontMetrics m = fontMetrics();
    const QPointF at(r.left() + m.horizontalAdvance(QLatin1Char('x')) / 2, r.top() + (r.height() - m.height()) / 2);
    p.setPen(palette().color(foregroundRole()));
    if (plain_->Draw(p, at, text().toStdString())) return;
    p.end();
    QLabel::paintEvent(event);
  }

 private:
  std::unique_ptr<PlainTextDrawer> plain_;
  QFont plainFont_;
};

// Measuring a text costs as much as drawing it: it is measured only when its length changes, as
// a count's does when it gains a digit.
void ShowInPane(QLabel* pane, const QString& text) {
  const qsizetype before = pane->text().size();
  pane->setText(text);
  if (text.size() == before) return;
  const int needed = pane->sizeHint().width();
  if (needed > pane->width()) pane->setFixedWidth(needed);
}
}  // namespace

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  messagePane_ = new QLabel("Ready", bar);
  recordingPane_ = new CountingPane(bar);
  portPane_ = new CountingPane(bar);
  // The counting panes change many times a second: a fixed size, widened only when a text needs
  // more, keeps each change from laying the status bar out again.
  for (QLabel* pane : {recordingPane_, portPane_}) {
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setFixedSize(pane->fontMetrics().horizontalAdvance(QString(kPortPaneInitial)) + 8, pane->sizeHint().height());
  }
  recordingPane_->setObjectName("RecordingPane");
  portPane_->setObjectName("PortPane");
  bar->addWidget(messagePane_, 1);
  sharePane_ = new QLabel(bar);
  sharePane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  sharePane_->setObjectName("SharePane");
  sharePane_->hide();
  bar->addPermanentWidget(sharePane_);
  bar->addPermanentWidget(recordingPane_);
  bar->addPermanentWidget(portPane_);
  // The port pane counts every message: it reaches the screen at once, then at most ten times
  // a second while messages stream, and always with its latest text.
  portPaneTimer_ = new QTimer(this);
  portPaneTimer_->setSingleShot(true);
  portPaneTimer_->setInterval(100);
  connect(portPaneTimer_, &QTimer::timeout, this, [this] {
    if (!portPanePending_) return;
    portPanePending_ = false;
    ShowInPane(portPane_, Q(portText_));
    portPaneTimer_->start();
  });
}

void MainWindow::BuildToolbars() {
  std::vector<const ToolbarDef*> order;
  for (const ToolbarDef& def : Toolbars()) {
    auto* bar = new QToolBar(Q(def.title), this);
    bar->setObjectName(def.name);
    bar->setIconSize(QSize(kToolIconSize, kToolIconSize));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : def.buttons) {
      if (id == 0) {
        bar->addSeparator();
        continue;
      }
      const auto [text, prompt] = CommandText(id);
      bar->addAction(ActionFor(id, text, prompt));
    }
    connect(bar, &QToolBar::visibilityChanged, this, [this] { UpdateActionStates(); });
    toolbars_[def.viewCommand] = bar;
    order.push_back(&def);
  }
  std::stable_sort(order.begin(), order.end(), [](const ToolbarDef* a, const ToolbarDef* b) {
    if (a->area != b->area) return a->area < b->area;
    if (a->line != b->line) return a->line < b->line;
    return a->position < b->position;
  });
  const ToolbarDef* previous = nullptr;
  for (const ToolbarDef* def : order) {
    const Qt::ToolBarArea area = ToQtArea(def->area);
    if (previous != nullptr && previous->area == def->area && previous->line != def->line) addToolBarBreak(area);
    addToolBar(area, toolbars_[def->viewCommand]);
    toolbars_[def->viewCommand]->setVisible(def->initiallyVisible);
    previous = def;
  }
}

void MainWindow::RestorePlacement() {
  // The record's rectangle, grown so that the initial toolbars fit.
  const MainWindowPlacement d = frame_->config().mainWindow();
  setGeometry(RectFromSize(d.left, d.top, d.width, d.height, kMinDefaultWidth, kMinDefaultHeight));
  const std::optional<WindowPlacement> p = LoadWindowPlacement(*profile_);
  if (!p) return;
  setGeometry(RectFromEdges(p->left, p->top, p->right, p->bottom, 1, 1));
  if (p->flags == kRestoreToMaximized || p->showState == kShowMaximized) setWindowState(Qt::WindowMaximized);
}

void MainWindow::SavePlacement() {
  SaveBarState(*profile_, saveState().toBase64().toStdString());
  const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  WindowPlacement p;
  p.showState = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
  p.minX = p.minY = p.maxX = p.maxY = -1;
  p.left = r.left();
  p.top = r.top();
  p.right = r.left() + r.width();
  p.bottom = r.top() + r.height();
  SaveWindowPlacement(*profile_, p, isMaximized());
  settings_->sync();
  placementSaved_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!placementSaved_) SavePlacement();
  QMainWindow::closeEvent(event);
}

QAction* MainWindow::ActionFor(int id, const std::string& text, const std::string& prompt) {
  auto it = actions_.find(id);
  if (it == actions_.end()) {
    auto* a = new QAction(this);
    a->setData(id);
    a->setIcon(CommandIcon(id));
    a->setIconVisibleInMenu(false);
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
    it = actions_.emplace(id, a).first;
  }
  QAction* a = it->second;
  a->setText(Q(text));
  const std::string status = PromptStatusText(prompt);
  const std::string tip = PromptTip(prompt);
  a->setStatusTip(Q(status));
  a->setToolTip(Q(tip.empty() ? (status.empty() ? PlainMenuText(text) : status) : tip));
  return a;
}

void MainWindow::FillMenu(QMenu* menu, const MenuItems& items) {
  for (const MenuItem& m : items) {
    if (m.isSeparator()) {
      menu->addSeparator();
    } else if (m.isPopup()) {
      QMenu* sub = menu->addMenu(Q(m.text));
      FillMenu(sub, m.items);
    } else if (renderedIds_.insert(m.id).second) {
      menu->addAction(ActionFor(m.id, m.text, m.prompt));
    } else {
      // A second item of the same command keeps its own text; the shared action keeps the
      // first item's, which the toolbars show as their tips.
      auto* item = new QAction(Q(m.text), menu_);
      item->setStatusTip(Q(PromptStatusText(m.prompt)));
      item->setData(m.id);
      const int id = m.id;
      connect(item, &QAction::triggered, this, [this, id] { RunCommand(id); });
      extraItems_.emplace(id, item);
      menu->addAction(item);
    }
  }
}

void MainWindow::RenderMenuBar() {
  QMenuBar* bar = menuBar();
  bar->clear();
  // Everything of the previous rendering hangs off one holder, so it goes in one piece.
  if (menu_ != nullptr) menu_->deleteLater();
  menu_ = new QObject(this);
  renderedIds_.clear();
  extraItems_.clear();
  for (const MenuItem& m : commands_->menuBar()) {
    if (m.isPopup()) {
      auto* menu = new QMenu(Q(m.text), bar);
      connect(menu_, &QObject::destroyed, menu, &QObject::deleteLater);
      FillMenu(menu, m.items);
      connect(menu, &QMenu::aboutToShow, this, [this] { UpdateActionStates(); });
      bar->addMenu(menu);
    } else if (!m.isSeparator()) {
      // A top-level item shows its text: the shared action carries the toolbar's picture.
      auto* item = new QAction(Q(m.text), menu_);
      item->setStatusTip(Q(PromptStatusText(m.prompt)));
      const int id = m.id;
      connect(item, &QAction::triggered, this, [this, id] { RunCommand(id); });
      bar->addAction(item);
    }
  }
  UpdateActionStates();
}

void MainWindow::UpdateActionStates() {
  if (!commands_) return;
  const auto apply = [this](int id, QAction* a) {
    const CommandState s = commands_->State(id);
    a->setEnabled(s.enabled);
    a->setCheckable(s.checked);
    a->setChecked(s.checked);
  };
  for (const auto& [id, a] : actions_) apply(id, a);
  for (const auto& [id, a] : extraItems_) {
    if (a) apply(id, a);
  }
}

std::vector<QAction*> MainWindow::menuItems(int id) const {
  std::vector<QAction*> items;
  if (QAction* a = action(id)) items.push_back(a);
  const auto [from, to] = extraItems_.equal_range(id);
  for (auto it = from; it != to; ++it) {
    if (it->second) items.push_back(it->second);
  }
  return items;
}

void MainWindow::RunCommand(int id) {
  commands_->OnCommand(id);
  commands_->RefreshStopItem();
  UpdateActionStates();
}

void MainWindow::PlayFile(const std::string& path) {
  presetOpenFile_ = path;
  RunCommand(cmd::kOpenLogFile);
  presetOpenFile_.reset();
}

QAction* MainWindow::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QToolBar* MainWindow::toolbar(int viewCommand) const {
  const auto it = toolbars_.find(viewCommand);
  return it == toolbars_.end() ? nullptr : it->second;
}

WindowHost* MainWindow::windowHost(int command) const {
  const auto it = hosts_.find(command);
  return it == hosts_.end() ? nullptr : it->second.data();
}

uint32_t MainWindow::SetTimer(int id, uint32_t periodMs) {
  QTimer*& t = timers_[id];
  if (t == nullptr) {
    t = new QTimer(this);
    connect(t, &QTimer::timeout, this, [this, id] {
      if (frame_) frame_->OnTimer(id);
    });
  }
  t->start(static_cast<int>(periodMs));
  return static_cast<uint32_t>(id);
}

void MainWindow::KillTimer(int id) {
  if (const auto it = timers_.find(id); it != timers_.end()) it->second->stop();
}

void MainWindow::SetTitle(const std::string& title) { setWindowTitle(Q(title)); }

void MainWindow::RefreshMenus() {
  if (!commands_) return;
  commands_->RefreshStopItem();
  UpdateActionStates();
}

std::string MainWindow::PaneText(int paneId) const {
  switch (paneId) {
    case kPaneRecording:
      return recordingPane_->text().toStdString();
    case kPanePort:
      return portText_;
    case kPaneShare:
      return sharePane_->text().toStdString();
    default:
      return messagePane_->text().toStdString();
  }
}

void MainWindow::SetPaneText(int paneId, const std::string& text) {
  if (paneId == kPaneShare) {
    sharePane_->setText(Q(text));
    sharePane_->setVisible(!text.empty());
    return;
  }
  if (paneId == kPanePort) {
    if (text == portText_) return;
    portText_ = text;
    if (portPaneTimer_->isActive()) {
      portPanePending_ = true;
    } else {
      ShowInPane(portPane_, Q(text));
      portPaneTimer_->start();
    }
    return;
  }
  if (paneId == kPaneRecording) {
    ShowInPane(recordingPane_, Q(text));
    return;
  }
  messagePane_->setText(Q(text));
}

void MainWindow::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  modal_->ShowMessage(this, text, caption, icon);
}

// Posted boxes wait in order and come up one at a time, each from the event loop: the timer
// that asked for one has returned by then, so it fires again while the box is open.
void MainWindow::PostMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  const PendingBox box{text, caption, icon};
  if (std::find(pendingBoxes_.begin(), pendingBoxes_.end(), box) != pendingBoxes_.end()) return;
  pendingBoxes_.push_back(box);
  if (pendingBoxes_.size() == 1 && !showingPosted_) {
    QMetaObject::invokeMethod(this, [this] { ShowPostedBoxes(); }, Qt::QueuedConnection);
  }
}

void MainWindow::ShowPostedBoxes() {
  if (showingPosted_) return;
  showingPosted_ = true;
  while (!pendingBoxes_.empty()) {
    const PendingBox box = pendingBoxes_.front();
    pendingBoxes_.pop_front();
    MessageBox(box.text, box.caption, box.icon);
  }
  showingPosted_ = false;
}

void MainWindow::PostCommand(int commandId) {
  QMetaObject::invokeMethod(this, [this, commandId] { RunCommand(commandId); }, Qt::QueuedConnection);
}

void MainWindow::CreateWindowHost(int command, const std::string& caption, const ScreenRect& rect) {
  // A window of the page framework gets the host that draws its page.
  Page* page = pages_ ? pages_->Open(command, caption) : nullptr;
  WindowHost* host = nullptr;
  if (page != nullptr) {
    host = new PageHost(this, command, *page);
  } else if (command == cmd::kWndTerminalAux) {
    // The aux port's text goes to the window from the next poll on.
    auto* terminal = new TerminalHost(this, command);
    frame_->SetAuxWindow(terminal);
    terminal->SetOnGone([this, terminal] {
      if (auxTerminal_ == terminal) frame_->SetAuxWindow(nullptr);
    });
    auxTerminal_ = terminal;
    host = terminal;
  } else if (command == cmd::kWndTerminal) {
    // Every block the main decoder reads is shown as text.
    auto* terminal = new TerminalHost(this, command);
    frame_->mainDecoder().SetTerminal(terminal);
    terminal->SetOnGone([this] {
      if (frame_) frame_->mainDecoder().SetTerminal(nullptr);
    });
    host = terminal;
  } else {
    host = new WindowHost(this, command);
  }
  host->setObjectName(QString("WindowHost%1").arg(command));
  host->setWindowTitle(Q(page != nullptr ? page->caption() : caption));
  host->setGeometry(RectFromEdges(rect.left, rect.top, rect.right, rect.bottom, 50, 30));
  connect(host, &WindowHost::closedByUser, this, [this](int cmdId) {
    if (commands_) commands_->windows().OnHostClosed(cmdId);
  });
  hosts_[command] = host;
  host->show();
}

void MainWindow::DestroyWindowHost(int command) {
  const auto it = hosts_.find(command);
  if (it == hosts_.end()) return;
  if (WindowHost* host = it->second.data()) {
    host->MarkClosingByFrame();
    host->close();
  }
  hosts_.erase(it);
}

std::optional<std::string> MainWindow::AskOpenFileName(const FileDialogRequest& request) {
  if (presetOpenFile_) return presetOpenFile_;
  return modal_->OpenFile(this, request);
}

std::optional<std::string> MainWindow::AskSaveFileName(const FileDialogRequest& request) {
  return modal_->SaveFile(this, request);
}

std::optional<int64_t> MainWindow::UtcNow() const { return QDateTime::currentSecsSinceEpoch(); }

bool MainWindow::RunForm(Form& form) {
  form.SetMessageCaption(kEditionTitle);
  return modal_->RunForm(this, form, *this);
}

bool MainWindow::IsToolbarVisible(int viewCommand) const {
  const QToolBar* bar = toolbar(viewCommand);
  return bar != nullptr && !bar->isHidden();
}

void MainWindow::SetToolbarVisible(int viewCommand, bool visible) {
  if (QToolBar* bar = toolbar(viewCommand)) bar->setVisible(visible);
}

void MainWindow::MenusChanged() {
  if (commands_) RenderMenuBar();
}

void MainWindow::ShowAbout() { modal_->About(this); }

void MainWindow::Quit() { close(); }

std::optional<ScreenRect> MainWindow::MainWindowRect() const {
  const QRect r = frameGeometry();
  return ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

std::optional<ScreenRect> MainWindow::WindowRect(int command) const {
  const WindowHost* host = windowHost(command);
  if (host == nullptr) return std::nullopt;
  const QRect r = host->geometry();
  return ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace orv
