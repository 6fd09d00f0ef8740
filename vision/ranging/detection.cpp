#include "detection.hpp"

#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "number_format.hpp"
#include "ranging.hpp"

namespace Orvanta {

namespace {

constexpr double searchScale = 1.6;

// Positions only come from the trackbars or a validated file; clamping keeps a stray value
// from reading outside a table.
template <std::size_t N>
double select(const std::array<double, N>& table, int position) {
  return table[std::clamp<int>(position, 0, N - 1)];
}

// Bounds of one axis: [centre - k r, centre + k r) clipped to [0, size), truncated toward zero.
std::pair<int, int> windowSpan(int centre, int radius, int size) {
  const double reach = searchScale * radius;
  const int first = static_cast<int>(std::max(0.0, centre - reach));
  const int end = static_cast<int>(std::min(double(size), centre + reach));
  return {first, std::max(first, end)};
}

// The part of window where mask has pixels set; empty when it has none.
cv::Rect maskedArea(const cv::Mat& mask, cv::Rect window) {
  if (window.empty()) return {};
  const cv::Rect set = cv::boundingRect(mask(window));
  return set.empty() ? cv::Rect() : set + window.tl();
}

void scoreWindow(const cv::Mat& frame, cv::Rect window, const circles& ball, WorkImages& work) {
  work.scored = work.scored.empty() ? window : work.scored | window;
  work.stages->score(frame, window, ball, work);
}

// area grown by dx and dy on each side, clipped to the image.
cv::Rect grown(cv::Rect area, int dx, int dy, cv::Size size) {
  return cv::Rect(area.x - dx, area.y - dy, area.width + 2 * dx, area.height + 2 * dy) &
         cv::Rect({0, 0}, size);
}

// Runs filter over area only; the rest of out is cleared (out was zero outside `written`,
// which becomes area).
template <class Filter>
void filterOver(const cv::Mat& in, cv::Mat& out, cv::Rect& written, cv::Rect area, Filter filter) {
  if (!written.empty()) out(written).setTo(0);
  written = area;
  if (area.empty()) return;  // an empty search window: nothing to filter
  cv::Mat part = out(area);
  filter(in(area), part);
}

// The mask holds only 0 and 255, and the median of such a neighbourhood is 255 exactly when more
// than half of it is: a box count gives medianBlur's image (with its replicated border) at a
// fraction of its cost, which for apertures from 5 up is that of a histogram per column.
void binaryMedian(const cv::Mat& mask, cv::Mat& median, int aperture, WorkImages& work,
                  cv::Rect area) {
  cv::Mat ones = work.ones(area), counts = work.counts(area);
  cv::bitwise_and(mask, cv::Scalar(1), ones);
  cv::boxFilter(ones, counts, CV_16U, cv::Size(aperture, aperture), cv::Point(-1, -1), false,
                cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
  cv::compare(counts, aperture * aperture / 2, median, cv::CMP_GT);
}

// The mask is 0 outside the search window and each filter reads only a pixel's neighbourhood,
// so each stage can differ from 0 only within its input's area grown by the filter's reach.
// Each stage runs over that area grown once more by its reach, so every pixel it can set sees
// the neighbourhood it has in the whole image: the images equal those of whole-image filtering,
// at the cost of the window instead of the frame. Returns the area where the smoothed edges can
// differ from 0.
cv::Rect filterMask(WorkImages& work, cv::Rect window, const DetectionParams& p) {
  const cv::Size size = work.mask.size();
  const int m = p.medianAperture / 2;
  const cv::Rect medianArea = grown(window, m, m, size);
  const cv::Rect medianRun = grown(medianArea, m, m, size);
  filterOver(work.mask, work.median, work.medianWritten, medianRun,
             [&](const cv::Mat& in, cv::Mat& out) {
               work.stages->median(in, out, p.medianAperture, work, medianRun);
             });
  // An edge needs a gradient, which needs a changing pixel next to it; thinning compares the
  // gradients of the neighbours, which reach one pixel further.
  const cv::Rect edgeArea = grown(medianArea, 1, 1, size);
  filterOver(
      work.median, work.edges, work.edgesWritten, grown(edgeArea, 2, 2, size),
      [&](const cv::Mat& in, cv::Mat& out) { cv::Canny(in, out, p.cannyLower, p.cannyUpper, 3); });
  const int gx = p.gaussianWidth / 2, gy = p.gaussianHeight / 2;
  // Isolated, because OpenCV takes its bit-exact Gaussian, the one a whole image gets, only
  // for images that are not a part of a larger one unless told to ignore what lies outside.
  // The border pixel is replicated, as the smoothing of the original pipeline does.
  filterOver(work.edges, work.smoothed, work.smoothedWritten, grown(edgeArea, 2 * gx, 2 * gy, size),
             [&](const cv::Mat& in, cv::Mat& out) {
               cv::GaussianBlur(in, out, cv::Size(p.gaussianWidth, p.gaussianHeight), 0, 0,
                                cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
             });
  return grown(edgeArea, gx, gy, size);
}

}  // namespace

DetectionParams currentParams() {
  DetectionParams p;
  p.medianAperture = static_cast<int>(select(medianApertures, IntMedian));
  p.cannyLower = select(cannyLowerThresholds, lowInt);
  p.cannyUpper = select(cannyUpperThresholds, highInt);
  p.gaussianWidth = static_cast<int>(select(gaussianKernelSizes, highIntFilt));
  p.gaussianHeight = static_cast<int>(select(gaussianKernelSizes, lowIntFilt));
  p.houghParam1 = select(houghParameters, highIntHough);
  p.houghParam2 = select(houghParameters, lowIntHough);
  return p;
}

namespace {

class FastStages : public DetectionStages {
 public:
  void score(const cv::Mat& frame, cv::Rect window, const circles& ball,
             WorkImages& work) const override {
    work.scorer.score(frame, window, hsv, ball.hsvNorm, work.similarity, &work.mask,
                      ball.threshold);
  }
  void median(const cv::Mat& mask, cv::Mat& out, int aperture, WorkImages& work,
              cv::Rect area) const override {
    binaryMedian(mask, out, aperture, work, area);
  }
  std::vector<cv::Vec3f> findCircles(WorkImages& work, cv::Rect area,
                                     const CircleSearch& search) const override {
    std::vector<cv::Vec3f> found;
    const CircleBudget budget = circleBudgetFor(work.smoothed.size());
    for (const cv::Vec4f& c : work.circles.detect(work.smoothed, area, search, budget).circles)
      found.emplace_back(c[0], c[1], c[2]);
    return found;
  }
  bool wholePicture() const override { return false; }
};

}  // namespace

const DetectionStages& fastStages() {
  static const FastStages stages;
  return stages;
}

void WorkImages::create(cv::Size size) {
  for (cv::Mat* image : {&similarity, &mask, &median, &edges, &smoothed, &ones})
    *image = cv::Mat::zeros(size, CV_8UC1);
  counts = cv::Mat::zeros(size, CV_16UC1);
  scored = medianWritten = edgesWritten = smoothedWritten = {};
}

void WorkImages::clearSimilarityAndMask() {
  if (scored.empty()) return;
  similarity(scored).setTo(0);
  mask(scored).setTo(0);
  scored = {};
}

cv::Rect searchWindow(const circles& ball, cv::Size frameSize) {
  if (!ball.found) return cv::Rect(0, 0, frameSize.width, frameSize.height);
  const auto [top, bottom] = windowSpan(ball.y, ball.radius, frameSize.height);
  const auto [left, right] = windowSpan(ball.x, ball.radius, frameSize.width);
  return cv::Rect(left, top, right - left, bottom - top);
}

double minCentreDistance(int rows) {
  // Circle detection rejects a distance of 0, which frames under 4 rows would give.
  return std::max(rows / 4, 1);
}

std::vector<cv::Vec3f> findBallCircles(circles& ball, const cv::Mat& frame, WorkImages& work) {
  const cv::Rect window = searchWindow(ball, frame.size());
  ball.found = false;
  hsv = {static_cast<std::uint8_t>(ball.h), static_cast<std::uint8_t>(ball.s),
         static_cast<std::uint8_t>(ball.v)};
  scoreWindow(frame, window, ball, work);

  const DetectionParams p = currentParams();
  const bool whole = work.stages->wholePicture();
  // The filters need to run only around the mask's pixels: where it is zero, so are they.
  const cv::Rect smoothedArea =
      filterMask(work, whole ? cv::Rect({0, 0}, frame.size()) : maskedArea(work.mask, window), p);
  const CircleSearch search{minCentreDistance(work.mask.rows), p.houghParam1, p.houghParam2};
  return work.stages->findCircles(work, smoothedArea, search);
}

const BallBoxes& ballBoxes(int ball) {
  static const std::array<BallBoxes, site::kBallCount> boxes = {{{"textBox14", "textBox15"},
                                                                 {"textBox9", "textBox8"},
                                                                 {"textBox21", "textBox20"},
                                                                 {"textBox30", "textBox29"}}};
  return boxes.at(ball - 1);
}

void recordBallCircles(circles& ball, const std::vector<cv::Vec3f>& found, cv::Mat& display,
                       const BallBoxes& boxes, const WorkImages& work, Host& host, bool firstPass) {
  // Every circle is drawn (when anything shows the picture); the strongest, the first, is what
  // the record and boxes keep (a weaker one may be another ball of a near colour).
  if (host.windows.showsPictures())
    for (const cv::Vec3f& circle : found) drawBallCircle(display, circle);
  if (!found.empty()) {
    const cv::Vec3f& circle = found.front();
    const int radius = cvRound(circle[2]);
    host.texts.setText(boxes.radius, formatNumber(radius));
    ball.distance = udaljenostPredmeta(radius) * work.rangeScale;
    host.texts.setText(boxes.range, formatNumber(ball.distance));
    ball.found = true;
    ball.x = cvRound(circle[0]);
    ball.y = cvRound(circle[1]);
    ball.radius = radius;
  }
  showDetectionWindows(host.windows, display, work, firstPass);
}

void detect_ball(circles& ball, const cv::Mat& frame, cv::Mat& display, WorkImages& work,
                 const BallBoxes& boxes, Host& host) {
  const std::vector<cv::Vec3f> found = findBallCircles(ball, frame, work);
  recordBallCircles(ball, found, display, boxes, work, host, false);
}

}  // namespace Orvanta
