#include "blob.hpp"

#include <algorithm>
#include <array>
#include <opencv2/imgproc.hpp>

namespace Orvanta::pose {

namespace {

// A blob that reaches the edge of a searched area inside the picture may go on beyond it.
bool reachesAreaEdge(const cv::Rect& box, const cv::Rect& area, const cv::Rect& picture) {
  return (box.x == area.x && area.x > 0) || (box.y == area.y && area.y > 0) ||
         (box.br().x == area.br().x && area.br().x < picture.width) ||
         (box.br().y == area.br().y && area.br().y < picture.height);
}

bool plausible(const cv::Rect& box, int area, const cv::Rect& picture,
               const PoseParameters::Blobs& p) {
  if (area < p.smallestPx || area * 4 > picture.area()) return false;
  const double inscribed = CV_PI / 4 * box.width * box.height;
  if (area < p.leastFill * inscribed) return false;
  const bool cut =
      box.x == 0 || box.y == 0 || box.br().x == picture.width || box.br().y == picture.height;
  const double elongation =
      double(std::max(box.width, box.height)) / std::max(1, std::min(box.width, box.height));
  return cut || elongation <= p.mostElongation;
}

// Sets the pixels of mask (8-bit, 0 or 255) that no path of zeros joins to its border: the
// holes a highlight leaves in a ball's colour. Returns how many it set, and their sum.
int fillHoles(cv::Mat& mask, cv::Point2d& sum) {
  cv::Mat outside;
  cv::copyMakeBorder(mask, outside, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
  cv::floodFill(outside, cv::Point(0, 0), 255);
  int holes = 0;
  for (int y = 0; y < mask.rows; ++y) {
    const std::uint8_t* reached = outside.ptr<std::uint8_t>(y + 1) + 1;
    std::uint8_t* m = mask.ptr<std::uint8_t>(y);
    for (int x = 0; x < mask.cols; ++x)
      if (!reached[x]) m[x] = 255, sum += cv::Point2d(x, y), ++holes;
  }
  return holes;
}

bool acceptable(const Blob& blob, const cv::Rect& area, const cv::Rect& picture,
                const PoseParameters::Blobs& p) {
  return plausible(blob.box, int(blob.area), picture, p) &&
         !reachesAreaEdge(blob.box, area, picture);
}

}  // namespace

bool Blob::holds(cv::Point pixel) const {
  const cv::Point at = pixel - offset;
  return at.x >= 0 && at.y >= 0 && at.x < labels.cols && at.y < labels.rows &&
         labels.at<int>(at) == label;
}

std::optional<Blob> findBlob(const cv::Mat& bgr, cv::Rect area, int ball,
                             const ColourClasses& classes, const PoseParameters::Blobs& p) {
  const cv::Rect picture({0, 0}, bgr.size());
  area &= picture;
  if (area.empty()) return std::nullopt;
  cv::Mat mask, stats, centroids;
  classes.maskOf(bgr, area, ball, mask);
  cv::Point2d ignored;
  fillHoles(mask, ignored);
  Blob blob;
  const int count =
      cv::connectedComponentsWithStats(mask, blob.labels, stats, centroids, 8, CV_32S);
  int bestArea = 0;
  for (int label = 1; label < count; ++label) {
    const int* s = stats.ptr<int>(label);
    const cv::Rect box(s[cv::CC_STAT_LEFT] + area.x, s[cv::CC_STAT_TOP] + area.y,
                       s[cv::CC_STAT_WIDTH], s[cv::CC_STAT_HEIGHT]);
    const int pixels = s[cv::CC_STAT_AREA];
    if (pixels <= bestArea || !plausible(box, pixels, picture, p)) continue;
    bestArea = pixels;
    blob.label = label;
    blob.box = box;
    blob.centroid = {centroids.at<double>(label, 0) + area.x,
                     centroids.at<double>(label, 1) + area.y};
  }
  if (bestArea == 0) return std::nullopt;
  blob.area = bestArea;
  blob.offset = area.tl();
  if (!acceptable(blob, area, picture, p)) return std::nullopt;
  return blob;
}

const cv::Mat& ReducedPicture::reduced() {
  if (reduced_.empty())
    cv::resize(bgr_, reduced_, {bgr_.cols / step_, bgr_.rows / step_}, 0, 0, cv::INTER_NEAREST);
  return reduced_;
}

std::optional<Blob> findBlobAnywhere(ReducedPicture& picture, int ball,
                                     const ColourClasses& classes, const PoseParameters::Blobs& p) {
  const cv::Mat& bgr = picture.full();
  const int step = picture.step();
  if (step <= 1) return findBlob(bgr, cv::Rect({0, 0}, bgr.size()), ball, classes, p);
  const cv::Mat& reduced = picture.reduced();
  PoseParameters::Blobs coarse = p;
  coarse.smallestPx = p.smallestPx / (step * step);
  const std::optional<Blob> seen =
      findBlob(reduced, cv::Rect({0, 0}, reduced.size()), ball, classes, coarse);
  if (!seen) return std::nullopt;
  // The copy's box at full size, widened by half its size and two steps: room for what the
  // copy's sampling missed at the blob's edge.
  const cv::Rect box(seen->box.tl() * step, seen->box.size() * step);
  const int margin = std::max(box.width, box.height) / 2 + 2 * step;
  return findBlob(bgr, box + cv::Size(2 * margin, 2 * margin) - cv::Point(margin, margin), ball,
                  classes, p);
}

std::optional<Blob> growBlob(const cv::Mat& bgr, cv::Point seed, cv::Rect area, int ball,
                             const ColourClasses& classes, const PoseParameters::Blobs& p) {
  const cv::Rect picture({0, 0}, bgr.size());
  area &= picture;
  if (!area.contains(seed) || classes.classOf(bgr.ptr<std::uint8_t>(seed.y) + 3 * seed.x) != ball)
    return std::nullopt;
  Blob blob;
  blob.offset = area.tl();
  blob.label = 1;
  blob.labels = cv::Mat::zeros(area.size(), CV_32S);
  std::vector<cv::Point> frontier{seed};
  blob.labels.at<int>(seed - area.tl()) = 1;
  cv::Point2d sum(0, 0);
  cv::Point low = seed, high = seed;
  int pixels = 0;
  // Four neighbours: a disc, whole or cut by the picture's edge, is connected through them.
  static const std::array<cv::Point, 4> kNeighbours = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
  while (!frontier.empty()) {
    const cv::Point p = frontier.back();
    frontier.pop_back();
    sum += cv::Point2d(p);
    ++pixels;
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    for (const cv::Point& step : kNeighbours) {
      const cv::Point q = p + step;
      if (!area.contains(q)) continue;
      int& label = blob.labels.at<int>(q - area.tl());
      if (label || classes.classOf(bgr.ptr<std::uint8_t>(q.y) + 3 * q.x) != ball) continue;
      label = 1;
      frontier.push_back(q);
    }
  }
  blob.box = cv::Rect(low, high + cv::Point(1, 1));
  // The holes, counted into the blob and labelled as its own.
  const cv::Rect inLabels = blob.box - blob.offset;
  cv::Mat mask = blob.labels(inLabels) == 1;
  cv::Point2d holeSum(0, 0);
  const int holes = fillHoles(mask, holeSum);
  blob.labels(inLabels).setTo(1, mask);
  pixels += holes;
  sum += holeSum + double(holes) * cv::Point2d(blob.box.tl());
  blob.area = pixels;
  blob.centroid = sum * (1 / blob.area);
  if (!acceptable(blob, area, picture, p)) return std::nullopt;
  return blob;
}

}  // namespace Orvanta::pose
