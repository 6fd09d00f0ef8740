#include "circle_detection.hpp"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace Orvanta {

namespace {

constexpr int kBinsPerPixel = 10;  // radius histogram resolution

// How many steps of `by` (fixed point, 10 fractional bits) a walk from `from`, inside
// [0, cells), takes before its cell leaves [0, cells).
int stepsInside(int from, int by, int cells) {
  if (by > 0) return ((cells << 10) - 1 - from) / by;
  if (by < 0) return from / -by;
  return INT_MAX;
}

}  // namespace

// The detection's own edges: Sobel with a replicated border and Canny on the gradients, over
// the area that can hold any (two pixels beyond the nonzero area, so its border has none).
// Points whose gradient is too weak to give a direction do not vote.
void CircleDetector::findEdgePoints(const cv::Mat& image, cv::Rect area, double param1) {
  // Emptied, their room kept for the next picture.
  points_.at.clear(), points_.dx.clear(), points_.dy.clear(), points_.x.clear(), points_.y.clear();
  const cv::Rect part = cv::Rect(area.x - 2, area.y - 2, area.width + 4, area.height + 4) &
                        cv::Rect({0, 0}, image.size());
  if (part.empty()) return;
  cv::Sobel(image(part), dx_, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
  cv::Sobel(image(part), dy_, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
  const int threshold = cvRound(param1);
  cv::Canny(dx_, dy_, edges_, std::max(1, threshold / 2), threshold, false);
  // In raster order, as the library collects them.
  cv::findNonZero(edges_, edgePixels_);
  for (const cv::Point& e : edgePixels_) {
    const short gx = dx_.at<short>(e), gy = dy_.at<short>(e);
    const float vx = gx, vy = gy;
    if ((vx == 0 && vy == 0) || std::sqrt(vx * vx + vy * vy) < 1.0f) continue;
    const cv::Point at = e + part.tl();
    points_.at.push_back(at);
    points_.dx.push_back(gx);
    points_.dy.push_back(gy);
    points_.x.push_back(float(at.x));
    points_.y.push_back(float(at.y));
  }
}

void CircleDetector::clearVotes() {
  if (!voted_.empty()) accum_(voted_).setTo(0);
  voted_ = {};
}

// Each edge point votes along its gradient, both ways, for every cell it crosses; fixed point
// with 10 fractional bits, as the library steps. The accumulator has a spare row and column
// after the image's cells, where the centre search looks for neighbours. Cells whose votes
// pass the threshold are noted as they do.
void CircleDetector::vote(cv::Size size, int maxRadius, int threshold) {
  if (accum_.rows != size.height + 2 || accum_.cols != size.width + 2) {
    accum_ = cv::Mat::zeros(size.height + 2, size.width + 2, CV_32S);
    voted_ = {};
  }
  clearVotes();
  above_.clear();
  int* cells = accum_.ptr<int>();
  const int step = size.width + 2;
  int left = size.width, top = size.height, right = -1, bottom = -1;
  for (std::size_t i = 0; i < points_.at.size(); ++i) {
    const float vx = points_.dx[i], vy = points_.dy[i];
    const float mag = std::sqrt(vx * vx + vy * vy);
    int sx = cvRound((vx * 1.f) * 1024 / mag), sy = cvRound((vy * 1.f) * 1024 / mag);
    const cv::Point& p = points_.at[i];
    const int x0 = cvRound((p.x * 1.f) * 1024), y0 = cvRound((p.y * 1.f) * 1024);
    for (int way = 0; way < 2; ++way, sx = -sx, sy = -sy) {
      // The walk stops where it would leave the image; its last step is known beforehand.
      const int last =
          std::min({maxRadius, stepsInside(x0, sx, size.width), stepsInside(y0, sy, size.height)});
      int x1 = x0, y1 = y0;
      for (int r = 0; r <= last; x1 += sx, y1 += sy, ++r) {
        const int cell = (y1 >> 10) * step + (x1 >> 10);
        if (++cells[cell] == threshold + 1) above_.push_back(cell);
      }
      // A straight walk: its ends bound the cells it touched.
      const int x2 = (x0 + last * sx) >> 10, y2 = (y0 + last * sy) >> 10;
      left = std::min({left, x0 >> 10, x2}), right = std::max({right, x0 >> 10, x2});
      top = std::min({top, y0 >> 10, y2}), bottom = std::max({bottom, y0 >> 10, y2});
    }
  }
  if (right >= 0) voted_ = cv::Rect(cv::Point(left, top), cv::Point(right + 1, bottom + 1));
}

// Cells above the threshold (outside the first row and column), above their left and upper
// and at least their right and lower neighbours, in raster order.
std::vector<cv::Point> CircleDetector::centres() {
  std::sort(above_.begin(), above_.end());
  std::vector<cv::Point> found;
  const int step = accum_.cols;
  const int* cells = accum_.ptr<int>();
  for (const int i : above_) {
    const int x = i % step, y = i / step, v = cells[i];
    if (x >= 1 && y >= 1 && v > cells[i - 1] && v >= cells[i + 1] && v > cells[i - step] &&
        v >= cells[i + step])
      found.push_back({x, y});
  }
  return found;
}

// The radius with the most edge points at that distance from the centre, in a histogram of
// tenth-pixel bins, scanned from the largest radius down in windows of one pixel; a smaller
// radius wins with proportionally more support.
bool CircleDetector::estimateRadius(cv::Point cell, int maxRadius, int threshold, Estimated& out) {
  const cv::Point2f centre((cell.x + 0.5f) * 1.f, (cell.y + 0.5f) * 1.f);
  const float maxRadius2 = float(maxRadius) * float(maxRadius);
  const std::size_t count = points_.x.size();
  distances_.resize(count);
  std::size_t inRange = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const float dx = points_.x[k] - centre.x, dy = points_.y[k] - centre.y;
    const float r2 = dx * dx + dy * dy;
    if (0.f <= r2 && r2 <= maxRadius2) distances_[inRange++] = r2;
  }
  int maxCount = 0;
  float rBest = 0;
  if (inRange) {
    roots_.resize(inRange);
    cv::sqrt(cv::Mat(1, int(inRange), CV_32F, distances_.data()),
             cv::Mat(1, int(inRange), CV_32F, roots_.data()));
    const int nBins = int(bins_.size());
    int highest = 0, lowest = nBins - 1;
    for (std::size_t k = 0; k < inRange; ++k) {
      const int bin =
          std::max(0, std::min(nBins - 1, cvRound((roots_[k] - 0) / 1.f * kBinsPerPixel)));
      ++bins_[bin];
      highest = std::max(highest, bin), lowest = std::min(lowest, bin);
    }
    // Bins above the highest are empty: the scan may start there.
    for (int j = std::min(highest, nBins - 1); j > 0; j--) {
      if (!bins_[j]) continue;
      const int upbin = j;
      int support = 0;
      for (; j > upbin - kBinsPerPixel && j >= 0; j--) support += bins_[j];
      const float r = (upbin + j) / 2.f / kBinsPerPixel * 1.f + 0;
      if ((support * rBest >= maxCount * r) || (rBest < FLT_EPSILON && support >= maxCount)) {
        rBest = r;
        maxCount = support;
      }
    }
    std::fill(bins_.begin() + lowest, bins_.begin() + highest + 1, 0);
  }
  if (maxCount <= threshold) return false;
  out = {cv::Vec3f(centre.x, centre.y, rBest), maxCount};
  return true;
}

CircleBudget circleBudgetFor(cv::Size size) {
  const double scale = std::clamp(std::max(size.width / 320.0, size.height / 240.0), 1.0, 100.0);
  const CircleBudget base;
  const auto grown = [](long long limit, double factor) {
    return static_cast<long long>(double(limit) * factor);
  };
  return {grown(base.votes, scale * scale), grown(base.distances, scale * scale * scale),
          grown(base.bins, scale * scale * scale)};
}

DetectedCircles CircleDetector::detect(const cv::Mat& image, cv::Rect area,
                                       const CircleSearch& search, const CircleBudget& budget) {
  DetectedCircles result;
  const int maxRadius = std::max(image.rows, image.cols);
  findEdgePoints(image, area, search.param1);
  const long long points = static_cast<long long>(points_.at.size());
  if (points == 0) return result;
  // Each point walks at most maxRadius + 1 cells each way.
  result.asked.votes = points * 2 * (maxRadius + 1);
  if (result.asked.votes > budget.votes) {
    result.overBudget = true;
    return result;
  }
  const int threshold = cvRound(search.param2);
  vote(image.size(), maxRadius, threshold);
  const std::vector<cv::Point> candidates = centres();
  bins_.assign(std::size_t(cvRound(maxRadius / 1.f * kBinsPerPixel)), 0);
  const long long n = static_cast<long long>(candidates.size());
  result.asked.distances = n * points;
  result.asked.bins = n * static_cast<long long>(bins_.size());
  if (result.asked.distances > budget.distances || result.asked.bins > budget.bins) {
    result.overBudget = true;
    return result;
  }
  std::vector<Estimated> estimated;
  Estimated e;
  for (const cv::Point& cell : candidates)
    if (estimateRadius(cell, maxRadius, threshold, e)) estimated.push_back(e);
  // The library's order: more support, then a larger radius, a smaller x, a smaller y.
  std::sort(estimated.begin(), estimated.end(), [](const Estimated& a, const Estimated& b) {
    if (a.support != b.support) return a.support > b.support;
    if (a.circle[2] != b.circle[2]) return a.circle[2] > b.circle[2];
    if (a.circle[0] != b.circle[0]) return a.circle[0] < b.circle[0];
    return a.circle[1] < b.circle[1];
  });
  // A circle whose centre lies closer than minDist to a stronger one kept is dropped.
  const float minDist2 = float(search.minDist) * float(search.minDist);
  for (const Estimated& c : estimated) {
    const bool clear =
        std::none_of(result.circles.begin(), result.circles.end(), [&](const cv::Vec4f& k) {
          const float dx = c.circle[0] - k[0], dy = c.circle[1] - k[1];
          return dx * dx + dy * dy < minDist2;
        });
    if (clear) result.circles.emplace_back(c.circle[0], c.circle[1], c.circle[2], float(c.support));
  }
  return result;
}

}  // namespace Orvanta
