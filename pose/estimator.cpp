#include "estimator.hpp"

#include <cmath>

#include "blob.hpp"

namespace Orvanta::pose {

namespace {

// Where a tracked ball is looked for first.
cv::Rect around(const BallMeasurement& ball, const PoseParameters::Blobs& p) {
  const double reach = p.searchRadii * ball.radiusPx + p.searchMarginPx;
  const cv::Point2d& c = ball.pixel;
  return cv::Rect(cv::Point(int(std::floor(c.x - reach)), int(std::floor(c.y - reach))),
                  cv::Point(int(std::ceil(c.x + reach)) + 1, int(std::ceil(c.y + reach)) + 1));
}

}  // namespace

PoseEstimator::PoseEstimator(const EstimatorSettings& settings)
    : settings_(settings),
      parameters_(settings.parameters.forPicture(settings.camera.size)),
      pinhole_{settings.camera.intrinsics, settings.camera.distortion},
      table_(pinhole_, settings.camera.size),
      classes_(settings.colours, parameters_.colour) {}

std::optional<BallMeasurement> PoseEstimator::measure(const cv::Mat& bgr,
                                                      const std::optional<Blob>& blob) {
  if (!blob) return std::nullopt;
  return measureBall(bgr, *blob, pinhole_, table_, settings_.layout.ballRadius, parameters_);
}

std::optional<BallMeasurement> PoseEstimator::findAndMeasure(const cv::Mat& bgr, int ball) {
  if (!settings_.colours[ball - 1]) return std::nullopt;
  // Where the ball was: grown from its last centre, else searched around it, else anywhere.
  if (const std::optional<BallMeasurement>& last = last_[ball - 1]) {
    const cv::Point seed(int(std::lround(last->pixel.x)), int(std::lround(last->pixel.y)));
    const cv::Rect area = around(*last, parameters_.blobs);
    if (auto grown = measure(bgr, growBlob(bgr, seed, area, ball, classes_, parameters_.blobs)))
      return grown;
    if (auto near = measure(bgr, findBlob(bgr, area, ball, classes_, parameters_.blobs)))
      return near;
  }
  return measure(bgr,
                 findBlob(bgr, cv::Rect({0, 0}, bgr.size()), ball, classes_, parameters_.blobs));
}

PictureEstimate PoseEstimator::estimate(const cv::Mat& bgr) {
  PictureEstimate estimate;
  if (bgr.size() != settings_.camera.size || bgr.type() != CV_8UC3) {
    estimate.pose.status.refusal = Refusal::pictureSize;
    estimate.pose.status.missing.fill(true);
    return estimate;
  }
  classes_.setWater(waterColour(bgr, parameters_.colour.waterGridPx));
  std::array<std::optional<BallView>, site::kBallCount> views;
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    estimate.balls[ball - 1] = findAndMeasure(bgr, ball);
    if (const auto& m = estimate.balls[ball - 1])
      views[ball - 1] = BallView{m->direction, m->range, m->rmsPx};
  }
  last_ = estimate.balls;
  estimate.pose =
      solveCameraPose(views, settings_.layout.centres, pinhole_.focal(), parameters_.gates);
  return estimate;
}

}  // namespace Orvanta::pose
