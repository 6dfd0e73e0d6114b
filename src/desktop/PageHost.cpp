// The generic page host and the surface that paints the page.
#include "desktop/PageHost.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <map>

#include "desktop/DesktopSupport.h"

namespace orv {

namespace {
// Values are brought to the screen at most ten times a second, however fast records arrive:
// faster than that no one reads a changing number, and a streaming receiver with every window
// open would spend its time painting. Nothing is lost: pages that accumulate draw all of it.
constexpr int kFrameMs = 100;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// An unchecked item shows no mark, as the pages' menus always did; exclusive choices keep
// their place for the mark.
void ApplyState(QAction* action, const PopupItem& item) {
  action->setCheckable(item.checked || item.group != 0);
  action->setChecked(item.checked);
  action->setEnabled(item.enabled);
}

// Adds the items to a popup or a menu bar. A command action carries its command as its data;
// each exclusive group of one menu gets its action group.
template <typename Menu>
void AddItems(Menu* menu, const std::vector<PopupItem>& items) {
  std::map<int, QActionGroup*> groups;
  for (const PopupItem& item : items) {
    if (item.kind == PopupKind::Separator) {
      menu->addSeparator();
      continue;
    }
    if (item.kind == PopupKind::Submenu) {
      AddItems(menu->addMenu(Q(item.text)), item.items);
      continue;
    }
    QAction* a = menu->addAction(Q(item.text));
    a->setData(item.command);
    if (item.group != 0) {
      QActionGroup*& group = groups[item.group];
      if (group == nullptr) group = new QActionGroup(menu);
      group->addAction(a);
    }
    ApplyState(a, item);
  }
}

void CollectStates(const std::vector<PopupItem>& items, std::map<int, PopupItem>& out) {
  for (const PopupItem& item : items) {
    if (item.kind == PopupKind::Submenu) CollectStates(item.items, out);
    if (item.kind == PopupKind::Command) out.emplace(item.command, item);
  }
}

void ApplyStates(const QList<QAction*>& actions, const std::map<int, PopupItem>& states) {
  for (QAction* a : actions) {
    if (QMenu* sub = a->menu()) {
      ApplyStates(sub->actions(), states);
      continue;
    }
    if (!a->data().isValid()) continue;
    const auto it = states.find(a->data().toInt());
    if (it != states.end()) ApplyState(a, it->second);
  }
}
}  // namespace

class PageSurface : public QWidget {
 public:
  explicit PageSurface(PageHost& host) : QWidget(&host), host_(host) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(10, 10);
    frame_.setSingleShot(true);
    frame_.setInterval(kFrameMs);
    connect(&frame_, &QTimer::timeout, this, &PageSurface::Frame);
  }

  void RequestFull() {
    full_ = true;
    update();
  }
  void RequestValues() {
    values_ = true;
    if (!frame_.isActive()) frame_.start();
  }

  // Brings the image up to date: a whole page after an erase, or the values over the last
  // image. Several records since the last frame draw once, with the latest record; a page that
  // accumulates has kept what each of them adds (UpdateQueue) and draws it all then. What the
  // values covered is added to `drawn`, when given.
  void Render(DrawnArea* drawn = nullptr) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (image_.size() != pixels) {
      image_ = QImage(pixels, QImage::Format_RGB32);
      image_.setDevicePixelRatio(ratio);
      full_ = true;
    }
    if (!full_ && !values_) return;
    QPainter p(&image_);
    QtCanvas canvas(p);
    Page* page = host_.page();
    if (full_) {
      const Colour bg = canvas.WindowColour();
      p.fillRect(QRect(QPoint(0, 0), size()), QColor(ColourRed(bg), ColourGreen(bg), ColourBlue(bg)));
      if (page != nullptr) page->Paint(canvas);
    } else if (page != nullptr) {
      canvas.TrackDrawn(drawn);
      page->PaintValues(canvas);
    }
    full_ = values_ = false;
  }

  // A frame of new values: drawn into the image now, and only what they covered goes to the
  // screen (a page's few changed values, not its whole window).
  void Frame() {
    if (full_ || image_.size() != size() * devicePixelRatioF()) {
      update();
      return;
    }
    DrawnArea drawn;
    Render(&drawn);
    if (!drawn.empty()) update(drawn.Region() & rect());
  }

  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    Render();
    QPainter screen(this);
    const qreal ratio = image_.devicePixelRatio();
    for (const QRect& r : event->region()) {
      const QRect source((QPointF(r.topLeft()) * ratio).toPoint(), (QSizeF(r.size()) * ratio).toSize());
      screen.drawImage(r, image_, source);
    }
  }
  void resizeEvent(QResizeEvent*) override { full_ = true; }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      host_.RightClick(event->position().toPoint());
      return;
    }
    QWidget::mousePressEvent(event);
  }

 private:
  PageHost& host_;
  QImage image_;
  QTimer frame_;
  bool full_ = true;
  bool values_ = false;
};

PageHost::PageHost(QWidget* owner, int command, Page& page) : WindowHost(owner, command), page_(&page) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const std::vector<PopupItem> bar = page.MenuBarItems();
  if (!bar.empty()) {
    menuBar_ = new QMenuBar(this);
    AddItems(menuBar_, bar);
    connect(menuBar_, &QMenuBar::triggered, this, [this](QAction* a) {
      if (a->data().isValid()) RunCommand(a->data().toInt());
    });
    for (QMenu* menu : menuBar_->findChildren<QMenu*>()) {
      connect(menu, &QMenu::aboutToShow, this, &PageHost::RefreshMenuBar);
    }
    layout->setMenuBar(menuBar_);
  }
  surface_ = new PageSurface(*this);
  layout->addWidget(surface_);
  setWindowTitle(Q(page.caption()));
  page.AttachView(this);
}

PageHost::~PageHost() {
  if (page_ != nullptr) page_->AttachView(nullptr);
}

QWidget* PageHost::surface() const { return surface_; }

QImage PageHost::SurfaceImage() {
  surface_->Render();
  return surface_->image();
}

void PageHost::InvalidateAll() { surface_->RequestFull(); }
void PageHost::ValuesChanged() { surface_->RequestValues(); }

void PageHost::CaptionChanged() {
  if (page_ != nullptr) setWindowTitle(Q(page_->caption()));
}

void PageHost::PageGone() { page_ = nullptr; }

QMenu* PageHost::BuildPopup(QWidget* parent) {
  if (page_ == nullptr) return nullptr;
  const std::vector<PopupItem> items = page_->PopupItems();
  if (items.empty()) return nullptr;
  auto* menu = new QMenu(parent);
  AddItems(menu, items);
  return menu;
}

void PageHost::RefreshMenuBar() {
  if (menuBar_ == nullptr || page_ == nullptr) return;
  std::map<int, PopupItem> states;
  CollectStates(page_->MenuBarItems(), states);
  ApplyStates(menuBar_->actions(), states);
}

void PageHost::RunCommand(int command) {
  if (page_ == nullptr) return;
  const QPointer<PageHost> alive(this);
  page_->OnCommand(command);
  if (!alive.isNull()) RefreshMenuBar();
}

// The page hears of the click first: what it does there may change what its popup shows.
void PageHost::RightClick(const QPoint& at) {
  if (page_ == nullptr) return;
  const QPointer<PageHost> alive(this);
  page_->RightClick(at.x(), at.y());
  if (!alive.isNull()) ShowPopup(at);
}

// The menu runs its own event loop; the page may be gone when it returns. A submenu's choice
// reaches the top menu's signal too.
void PageHost::ShowPopup(const QPoint& at) {
  QMenu* menu = BuildPopup(this);
  if (menu == nullptr) return;
  int chosen = 0;
  connect(menu, &QMenu::triggered, menu, [&chosen](QAction* a) { chosen = a->data().toInt(); });
  const QPointer<PageHost> alive(this);
  menu->exec(surface_->mapToGlobal(at));
  delete menu;
  if (alive.isNull()) return;
  if (chosen != 0) RunCommand(chosen);
}

}  // namespace orv
