#include "screen_layout.hpp"

#include <QApplication>
#include <QScreen>

#include "form1_layout.hpp"

namespace Orvanta {

namespace {

cv::Rect rectOf(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

ScreenLayout layoutAround(const QWidget& operatorWindow) {
  ScreenLayout layout;
  const QScreen* screen = operatorWindow.screen();
  layout.screen = rectOf(screen->availableGeometry());
  const QRect client = operatorWindow.geometry();
  QRect frame = operatorWindow.frameGeometry();
  if (frame == client) {
    frame.adjust(-layout.border, -layout.titleBar, layout.border, layout.border);
  } else {  // the window manager's own title bar and border
    layout.titleBar = client.y() - frame.y();
    layout.border = client.x() - frame.x();
  }
  // The window manager's bottom handle and a margin.
  layout.keepClear = rectOf(frame.adjusted(0, 0, 0, layout.gap));
  for (const QRect& part : form1Readings())
    layout.readings.push_back(rectOf(part.translated(client.topLeft())));
  return layout;
}

std::optional<cv::Rect> decoratedFrame(const std::string& title) {
  for (const QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || w->windowTitle() != QString::fromStdString(title)) continue;
    if (w->frameGeometry() == w->geometry()) return std::nullopt;
    return rectOf(w->frameGeometry());
  }
  return std::nullopt;
}

}  // namespace Orvanta
