#include "window_layout.hpp"

#include <algorithm>
#include <optional>
#include <vector>

namespace Orvanta {

// What covering costs per pixel, against 1 for another image window: the operator window, its
// top (the status and the positions), another window's title bar.
constexpr long long kOperatorWeight = 8, kReadingsWeight = 64, kTitleBarWeight = 8;
constexpr double kReadingsShare = 0.25;

cv::Size WindowTiler::frameOf(cv::Size picture, int trackbars) const {
  const ScreenLayout& l = layout_;
  return {picture.width + 2 * l.border,
          picture.height + l.titleBar + l.border + trackbars * l.trackbarRow};
}

cv::Rect WindowTiler::onto(cv::Rect frame) const {
  const cv::Rect& screen = layout_.screen;
  frame.x = std::max(screen.x, std::min(frame.x, screen.br().x - frame.width));
  frame.y = std::max(screen.y, std::min(frame.y, screen.br().y - frame.height));
  return frame;
}

long long WindowTiler::coverOfOperator(const cv::Rect& frame) const {
  const cv::Rect& window = layout_.keepClear;
  const cv::Rect readings(window.tl(), cv::Size(window.width, window.height * kReadingsShare));
  return kOperatorWeight * (frame & window).area() + kReadingsWeight * (frame & readings).area();
}

long long WindowTiler::overlapWithOthers(const cv::Rect& frame) const {
  long long area = 0;
  for (const auto& [name, other] : placed_) {
    // A hidden title bar costs most: the window can no longer be raised or moved.
    const cv::Rect titleBar(other.tl(), cv::Size(other.width, layout_.titleBar));
    area += (frame & other).area() + kTitleBarWeight * (frame & titleBar).area();
  }
  return area;
}

cv::Point WindowTiler::place(const std::string& name, cv::Size picture, int trackbars) {
  const ScreenLayout& l = layout_;
  const cv::Size size = frameOf(picture, trackbars);
  const int right = l.keepClear.br().x + l.gap, below = l.keepClear.br().y + l.gap;
  // Corners where a window may start: any pairing of the lines beside and below the operator
  // window and every window placed so far, or a title bar down from one (cascaded).
  std::vector<int> xs = {l.screen.x, right}, ys = {l.screen.y, below};
  for (const auto& [other, frame] : placed_) {
    if (other == name) continue;
    xs.insert(xs.end(),
              {frame.x, frame.br().x + l.gap, frame.x + l.titleBar, frame.x - l.titleBar});
    ys.insert(ys.end(), {frame.y, frame.br().y + l.gap, frame.y + l.titleBar});
  }
  std::vector<cv::Point> corners;
  for (int x : xs)
    for (int y : ys) corners.push_back({x, y});
  // The column beside the operator window first, top down; then the rows below it.
  const auto beside = [&](cv::Point p) { return p.x >= right; };
  std::sort(corners.begin(), corners.end(), [&](cv::Point a, cv::Point b) {
    if (beside(a) != beside(b)) return beside(a);
    return std::pair(a.y, a.x) < std::pair(b.y, b.x);
  });
  placed_.erase(name);
  // The first place clear of everything; failing that, the one that covers least, where
  // covering the operator window counts more.
  std::optional<cv::Rect> best;
  long long least = 0;
  for (const cv::Point& corner : corners) {
    const cv::Rect frame = onto(cv::Rect(corner, size));
    const long long covered = coverOfOperator(frame) + overlapWithOthers(frame);
    if (!best || covered < least) least = covered, best = frame;
    if (covered == 0) break;
  }
  const cv::Rect frame = *best;
  placed_[name] = frame;
  return frame.tl();
}

}  // namespace Orvanta
