#include "view_collector.hpp"

#include <cmath>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

namespace Orvanta {

namespace {

constexpr int kMostViews = 60;             // calibrateCamera's time grows with them
constexpr double kLeastDifference = 0.08;  // between a new view's description and every kept one
constexpr int kGridColumns = 8, kGridRows = 6;
constexpr int kRoughWidth = 320;  // pictures twice as wide are searched at half size

double length(const cv::Point2f& a, const cv::Point2f& b) {
  return std::hypot(double(a.x - b.x), double(a.y - b.y));
}

}  // namespace

ViewCollector::ViewCollector(BoardSpec board, cv::Size picture) : board_(board), size_(picture) {}

bool ViewCollector::roughCorners(const cv::Mat& grey, std::vector<cv::Point2f>& corners) const {
  const bool halve = grey.cols >= 2 * kRoughWidth;
  cv::Mat small;
  if (halve) cv::resize(grey, small, {}, 0.5, 0.5, cv::INTER_AREA);
  if (!cv::findChessboardCornersSB(halve ? small : grey, board_.corners, corners)) return false;
  if (halve)
    for (cv::Point2f& p : corners) p = (p + cv::Point2f(0.5f, 0.5f)) * 2 - cv::Point2f(0.5f, 0.5f);
  return true;
}

cv::Vec<double, 5> ViewCollector::describe(const std::vector<cv::Point2f>& c) const {
  const int w = board_.corners.width, h = board_.corners.height;
  const cv::Point2f &first = c[0], &rowEnd = c[w - 1], &lastRowStart = c[w * (h - 1)],
                    &last = c[w * h - 1];
  const cv::Point2f centre = (first + last + rowEnd + lastRowStart) * 0.25f;
  const double diagonal = std::hypot(size_.width, size_.height);
  // Foreshortening: the board's far side looks shorter than its near side.
  const double across = std::log(length(first, rowEnd) / length(lastRowStart, last));
  const double down = std::log(length(first, lastRowStart) / length(rowEnd, last));
  const double extent = (length(first, last) + length(rowEnd, lastRowStart)) / (2 * diagonal);
  return {centre.x / diagonal, centre.y / diagonal, extent, across, down};
}

bool ViewCollector::offer(const cv::Mat& bgr, int picture) {
  ++pictures_;
  last_.clear();
  if (bgr.size() != size_) return false;
  cv::Mat grey;
  cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
  // The board is looked for roughly at half size (a fifth of the work), and to a fraction of a
  // pixel only in the views that will be kept.
  std::vector<cv::Point2f> corners;
  if (!roughCorners(grey, corners)) return false;
  ++found_;
  last_ = corners;
  if (int(views_.size()) >= kMostViews) return false;
  const cv::Vec<double, 5> d = describe(corners);
  for (const cv::Vec<double, 5>& kept : described_)
    if (cv::norm(d - kept) < kLeastDifference) return false;
  if (!cv::findChessboardCornersSB(grey, board_.corners, corners,
                                   cv::CALIB_CB_NORMALIZE_IMAGE | cv::CALIB_CB_ACCURACY))
    return false;
  last_ = corners;
  views_.push_back({corners, picture});
  described_.push_back(d);
  return true;
}

double ViewCollector::coverage() const {
  std::vector<bool> covered(kGridColumns * kGridRows, false);
  for (const BoardView& view : views_)
    for (const cv::Point2f& p : view.corners) {
      const int column = std::clamp(int(p.x * kGridColumns / size_.width), 0, kGridColumns - 1);
      const int row = std::clamp(int(p.y * kGridRows / size_.height), 0, kGridRows - 1);
      covered[row * kGridColumns + column] = true;
    }
  return double(std::count(covered.begin(), covered.end(), true)) / covered.size();
}

}  // namespace Orvanta
