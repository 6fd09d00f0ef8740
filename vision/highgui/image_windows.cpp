#include "image_windows.hpp"

#include <algorithm>
#include <opencv2/highgui.hpp>
#include <opencv2/imgproc.hpp>

namespace Orvanta {

namespace {

void onTrackbarMove(int position, void* userdata) {
  auto* binding = static_cast<HighguiWindows::Binding*>(userdata);
  if (!binding->position) return;
  *binding->position = position;
  if (binding->onChange) binding->onChange(position);
}

void onMouse(int event, int x, int y, int flags, void* userdata) {
  const auto* mouse = static_cast<HighguiWindows::Mouse*>(userdata);
  if (!mouse->callback) return;
  mouse->callback(event, int((x + 0.5) / mouse->scale), int((y + 0.5) / mouse->scale), flags,
                  mouse->userdata);
}

// The masks of a tracking run, only glanced at: one may cover the other.
bool inBackground(const std::string& name) {
  return name == "grey manuel" || name == "grey";
}

// How long the window manager is given to carry out a move before the frame is checked.
constexpr auto kSettle = std::chrono::milliseconds(300);
constexpr int kMoveTries = 3;

}  // namespace

void HighguiWindows::namedWindow(const std::string& name) {
  // Sized to the picture, without highgui's tool bar and status bar.
  cv::namedWindow(name, cv::WINDOW_AUTOSIZE | cv::WINDOW_GUI_NORMAL);
  open_.insert(name);
}

void HighguiWindows::show(const std::string& name, const cv::Mat& image) {
  if (screen_ && open_.count(name) && !placed_.count(name)) place(name, image.size());
  const auto it = placed_.find(name);
  if (it != placed_.end() && it->second.scale < 1 && !image.empty()) {
    cv::resize(image, scaled_, cv::Size(), it->second.scale, it->second.scale, cv::INTER_AREA);
    cv::imshow(name, scaled_);
  } else {
    cv::imshow(name, image);
  }
  if (moves_.count(name)) check(name);
}

void HighguiWindows::place(const std::string& name, cv::Size picture) {
  if (!tiler_) tiler_.emplace(screen_());
  const int trackbars = int(std::count_if(bindings_.begin(), bindings_.end(),
                                          [&](const auto& b) { return b.first.first == name; }));
  tiler_->place(name, picture, trackbars, inBackground(name));
  for (const auto& [window, placement] : tiler_->placed()) {
    const auto old = placed_.find(window);
    const bool same = old != placed_.end() && old->second.frame == placement.frame &&
                      old->second.scale == placement.scale;
    if (!same && open_.count(window)) moveTo(window, placement);
  }
}

void HighguiWindows::moveTo(const std::string& name, const Placement& placement) {
  placed_[name] = placement;
  mice_[name].scale = placement.scale;
  const cv::Point at = placement.frame.tl();
  cv::moveWindow(name, at.x, at.y);
  moves_[name] = {at, 1, std::chrono::steady_clock::now()};
}

void HighguiWindows::check(const std::string& name) {
  Move& move = moves_[name];
  if (!frameOf_ || std::chrono::steady_clock::now() - move.when < kSettle) return;
  const std::optional<cv::Rect> frame = frameOf_(name);
  if (!frame) return;  // not decorated yet
  const cv::Point off = frame->tl() - placed_[name].frame.tl();
  if ((std::abs(off.x) <= 1 && std::abs(off.y) <= 1) || move.tries == kMoveTries) {
    moves_.erase(name);
    return;
  }
  // Asked again first: the window manager may have placed the window before decorating it.
  // A window still off by as much after that is asked for with the offset taken off.
  if (move.tries++ > 1) move.requested -= off;
  cv::moveWindow(name, move.requested.x, move.requested.y);
  move.when = std::chrono::steady_clock::now();
}

void HighguiWindows::rearrange() {
  tiler_.reset();
  placed_.clear();
  moves_.clear();
}

void HighguiWindows::destroyWindow(const std::string& name) {
  // The activities close windows that may not be open; highgui's Qt backend throws when it
  // has no window at all yet. Closing a window that is not there is nothing to do.
  open_.erase(name);
  placed_.erase(name);
  moves_.erase(name);
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
  Mouse& mouse = mice_[window];
  mouse = {callback, userdata, placed_.count(window) ? placed_[window].scale : 1};
  cv::setMouseCallback(window, onMouse, &mouse);
}

}  // namespace Orvanta
