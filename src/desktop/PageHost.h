// The one window that hosts any message page: its client area shows the page, a right click
// is told to the page and shows its popup items at the click, and a page with a menu bar gets
// one, its check marks and enabled items read from the page whenever a menu opens. The page is
// painted into an image that stands for the window's surface, as a device context would keep
// it: a full paint erases it and draws everything, a new record draws the values over what is
// there. The screen is refreshed from the image at most once per frame.
#pragma once

#include <QImage>
#include <QTimer>

#include "desktop/MainWindow.h"
#include "windows/Page.h"

class QMenu;
class QMenuBar;

namespace orv {

class PageSurface;

class PageHost : public WindowHost, public PageView {
  Q_OBJECT
 public:
  PageHost(QWidget* owner, int command, Page& page);
  ~PageHost() override;

  // Null once the frame has forgotten the window.
  Page* page() const { return page_; }
  // The client area below the menu bar, where the page is drawn.
  QWidget* surface() const;
  QMenuBar* pageMenuBar() const { return menuBar_; }
  // The popup menu of the page's items, as a right click shows it; null without items.
  QMenu* BuildPopup(QWidget* parent);
  // Check marks and enabled items of the menu bar as the page has them now.
  void RefreshMenuBar();
  // Draws what is pending into the surface image now and returns the image.
  QImage SurfaceImage();

  // PageView.
  void InvalidateAll() override;
  void ValuesChanged() override;
  void CaptionChanged() override;
  void PageGone() override;

 private:
  friend class PageSurface;
  void RightClick(const QPoint& at);
  void ShowPopup(const QPoint& at);
  // Runs a command of the popup or the menu bar; the page may be gone afterwards.
  void RunCommand(int command);

  Page* page_;
  PageSurface* surface_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
};

}  // namespace orv
