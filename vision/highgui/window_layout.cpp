#include "window_layout.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace Orvanta {

namespace {

// What covering costs per pixel, against 1 for a background window: the operator window,
// another window's title bar (the window could no longer be raised or moved).
constexpr long long kOperatorWeight = 8, kTitleBarWeight = 8;
// Pictures are not made smaller than this width to find room for them.
constexpr int kNarrowest = 240;

long long area(const cv::Rect& a, const cv::Rect& b) {
  return (a & b).area();
}

}  // namespace

// What a frame at some place would cover: what must stay in sight (the readings, the windows
// the operator works with), and what may be covered if need be.
struct WindowTiler::Cost {
  long long hidden = 0, covered = 0;
  bool operator<(const Cost& o) const {
    return std::tie(hidden, covered) < std::tie(o.hidden, o.covered);
  }
};

struct WindowTiler::Arrangement {
  std::map<std::string, Placement> placed;
  long long hidden = 0;               // readings and working windows covered, by any window
  long long workingOverOperator = 0;  // the operator window covered by working windows
};

std::vector<double> WindowTiler::scales() const {
  int widest = 0;
  for (const Window& w : windows_) widest = std::max(widest, w.picture.width);
  const double smallest = std::min(1.0, double(kNarrowest) / std::max(widest, 1));
  std::vector<double> result;
  for (double s = 1; s > smallest + 1e-9; s *= std::sqrt(0.5)) result.push_back(s);
  result.push_back(smallest);
  return result;
}

std::pair<cv::Rect, WindowTiler::Cost> WindowTiler::placeOne(const Window& window, double scale,
                                                             const Arrangement& sofar) const {
  const ScreenLayout& l = layout_;
  const cv::Size picture(int(std::lround(window.picture.width * scale)),
                         int(std::lround(window.picture.height * scale)));
  const cv::Size size(picture.width + 2 * l.border,
                      picture.height + l.titleBar + l.border + window.trackbars * l.trackbarRow);
  const cv::Rect& screen = l.screen;
  const auto onto = [&](cv::Point corner) {
    corner.x = std::max(screen.x, std::min(corner.x, screen.br().x - size.width));
    corner.y = std::max(screen.y, std::min(corner.y, screen.br().y - size.height));
    return cv::Rect(corner, size);
  };
  // Corners where a window may start: next to any edge of the operator window, its readings and
  // the windows placed so far, on either side of it.
  std::vector<cv::Rect> edges = {l.keepClear, cv::Rect(screen.tl(), cv::Size())};
  edges.insert(edges.end(), l.readings.begin(), l.readings.end());
  std::vector<int> xs, ys;
  const auto addEdges = [&](const cv::Rect& r) {
    for (int x : {r.x, r.br().x}) xs.insert(xs.end(), {x + l.gap, x - l.gap - size.width});
    for (int y : {r.y, r.br().y}) ys.insert(ys.end(), {y + l.gap, y - l.gap - size.height});
  };
  for (const cv::Rect& r : edges) addEdges(r);
  for (const auto& [name, p] : sofar.placed) addEdges(p.frame);
  xs.push_back(screen.x), ys.push_back(screen.y);
  const auto cost = [&](const cv::Rect& frame) {
    Cost c;
    for (const cv::Rect& r : l.readings) c.hidden += area(frame, r);
    c.covered = kOperatorWeight * area(frame, l.keepClear);
    for (const Window& other : windows_) {
      const auto it = sofar.placed.find(other.name);
      if (it == sofar.placed.end()) continue;
      const cv::Rect& f = it->second.frame;
      const long long over =
          area(frame, f) +
          kTitleBarWeight * area(frame, cv::Rect(f.tl(), cv::Size(f.width, l.titleBar)));
      (window.background && other.background ? c.covered : c.hidden) += over;
    }
    return c;
  };
  // Beside the operator window first, top down; then the rows below it.
  const int right = l.keepClear.br().x;
  std::vector<cv::Rect> frames;
  for (int x : xs)
    for (int y : ys) frames.push_back(onto({x, y}));
  std::sort(frames.begin(), frames.end(), [&](const cv::Rect& a, const cv::Rect& b) {
    if ((a.x >= right) != (b.x >= right)) return a.x >= right;
    return std::pair(a.y, a.x) < std::pair(b.y, b.x);
  });
  cv::Rect best = frames.front();
  Cost least = cost(best);
  for (const cv::Rect& frame : frames) {
    const Cost c = cost(frame);
    if (c < least) least = c, best = frame;
    if (least.hidden == 0 && least.covered == 0) break;
  }
  return {best, least};
}

WindowTiler::Arrangement WindowTiler::arrangeAt(double scale) const {
  Arrangement result;
  for (const Window& w : windows_) {
    const auto [frame, cost] = placeOne(w, scale, result);
    result.hidden += cost.hidden;
    if (!w.background) result.workingOverOperator += area(frame, layout_.keepClear);
    result.placed[w.name] = {frame, scale};
  }
  return result;
}

void WindowTiler::place(const std::string& name, cv::Size picture, int trackbars, bool background) {
  forget(name);
  windows_.push_back({name, picture, trackbars, background});
  // The largest scale with every window clear; else the largest with the readings and working
  // windows in sight; else the one that hides least of them.
  std::optional<Arrangement> inSight, leastHidden;
  for (double scale : scales()) {
    Arrangement a = arrangeAt(scale);
    if (a.hidden == 0 && a.workingOverOperator == 0) {
      placed_ = std::move(a.placed);
      return;
    }
    if (a.hidden == 0 && !inSight) inSight = a;
    if (!leastHidden || a.hidden < leastHidden->hidden) leastHidden = a;
  }
  placed_ = std::move((inSight ? inSight : leastHidden)->placed);
}

void WindowTiler::forget(const std::string& name) {
  placed_.erase(name);
  std::erase_if(windows_, [&](const Window& w) { return w.name == name; });
}

}  // namespace Orvanta
