#include "screen_layout.hpp"

#include <QScreen>

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
  QRect frame = operatorWindow.frameGeometry();
  if (frame == operatorWindow.geometry())
    frame.adjust(-layout.border, -layout.titleBar, layout.border, layout.border);
  // The window manager's bottom handle and a margin.
  layout.keepClear = rectOf(frame.adjusted(0, 0, 0, layout.gap));
  return layout;
}

}  // namespace Orvanta
