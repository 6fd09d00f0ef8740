#include "image_windows.hpp"

#include <algorithm>
#include <opencv2/highgui.hpp>

namespace Orvanta {

namespace {

void onTrackbarMove(int position, void* userdata) {
  auto* binding = static_cast<HighguiWindows::Binding*>(userdata);
  if (!binding->position) return;
  *binding->position = position;
  if (binding->onChange) binding->onChange(position);
}

}  // namespace

void HighguiWindows::namedWindow(const std::string& name) {
  // Sized to the picture, without highgui's tool bar and status bar.
  cv::namedWindow(name, cv::WINDOW_AUTOSIZE | cv::WINDOW_GUI_NORMAL);
  open_.insert(name);
}

void HighguiWindows::show(const std::string& name, const cv::Mat& image) {
  cv::imshow(name, image);
  if (!screen_ || !open_.count(name) || !placed_.insert(name).second) return;
  if (!tiler_) tiler_.emplace(screen_());
  const int trackbars = int(std::count_if(bindings_.begin(), bindings_.end(),
                                          [&](const auto& b) { return b.first.first == name; }));
  const cv::Point at = tiler_->place(name, image.size(), trackbars);
  cv::moveWindow(name, at.x, at.y);
}

void HighguiWindows::destroyWindow(const std::string& name) {
  // The activities close windows that may not be open; highgui's Qt backend throws when it
  // has no window at all yet. Closing a window that is not there is nothing to do.
  open_.erase(name);
  placed_.erase(name);
  if (tiler_) tiler_->forget(name);
  try {
    cv::destroyWindow(name);
  } catch (const cv::Exception&) {
  }
}

bool HighguiWindows::closedByOperator() {
  // A closed highgui window is hidden, not destroyed: it is no longer visible.
  for (const std::string& name : open_)
    if (cv::getWindowProperty(name, cv::WND_PROP_VISIBLE) < 1) return true;
  return false;
}

void HighguiWindows::createTrackbar(const std::string& trackbar, const std::string& window,
                                    int* position, int maximum, void (*onChange)(int)) {
  Binding& binding = bindings_[{window, trackbar}];
  // Placed at the current position before the binding is live: creating a trackbar is not a
  // move, so neither the variable nor its copy changes here.
  binding = Binding{};
  const int start = *position;
  cv::createTrackbar(trackbar, window, nullptr, maximum, onTrackbarMove, &binding);
  cv::setTrackbarPos(trackbar, window, start);
  binding = Binding{position, onChange};
}

void HighguiWindows::setMouseCallback(const std::string& window, cv::MouseCallback callback,
                                      void* userdata) {
  cv::setMouseCallback(window, callback, userdata);
}

}  // namespace Orvanta
