#include "estimator.hpp"

#include <algorithm>
#include <cmath>

#include "blob.hpp"
#include "prediction.hpp"

namespace Orvanta::pose {

namespace {

// A circle's centre fitted to n outline points that scatter by s is known to s sqrt(2 / n).
double centreSigmaPx(const BallMeasurement& ball) {
  return ball.rimPoints > 0 ? ball.rmsPx * std::sqrt(2.0 / ball.rimPoints) : 0;
}

// Where a ball last seen, or expected, at c with that radius is looked for.
cv::Rect around(const cv::Point2d& c, double radiusPx, const PoseParameters::Blobs& p) {
  const double reach = p.searchRadii * radiusPx + p.searchMarginPx;
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

// Grown from its last centre, else searched around it; a ball lost in the picture before,
// around where the last pose puts it.
std::optional<BallMeasurement> PoseEstimator::findNear(const cv::Mat& bgr, int ball) {
  const PoseParameters::Blobs& p = parameters_.blobs;
  if (const std::optional<BallMeasurement>& last = last_[ball - 1]) {
    const cv::Point seed(int(std::lround(last->pixel.x)), int(std::lround(last->pixel.y)));
    const cv::Rect area = around(last->pixel, last->radiusPx, p);
    if (auto grown = measure(bgr, growBlob(bgr, seed, area, ball, classes_, p))) return grown;
    return measure(bgr, findBlob(bgr, area, ball, classes_, p));
  }
  const std::optional<PredictedBall> expected =
      predictBall(lastPose_, settings_.layout.centres[ball - 1], settings_.layout.ballRadius,
                  pinhole_, settings_.camera.size);
  if (!expected) return std::nullopt;
  return measure(bgr,
                 findBlob(bgr, around(expected->pixel, expected->radiusPx, p), ball, classes_, p));
}

bool PoseEstimator::wholeSearchDue(int ball) const {
  return unseen_[ball - 1] <= parameters_.blobs.lostPictures;
}

// Past lostPictures the count runs in cycles of wholeSearchEvery pictures, each starting again
// at lostPictures: the whole-picture search is due while a ball has been lost for at most
// lostPictures pictures, and then once a cycle.
void PoseEstimator::countUnseen(int ball) {
  const PoseParameters::Blobs& p = parameters_.blobs;
  int& unseen = unseen_[ball - 1];
  unseen = last_[ball - 1] ? 0 : unseen + 1;
  if (unseen >= p.lostPictures + std::max(1, p.wholeSearchEvery))
    unseen -= std::max(1, p.wholeSearchEvery);
}

std::optional<BallMeasurement> PoseEstimator::findAndMeasure(ReducedPicture& picture, int ball) {
  if (!settings_.colours[ball - 1]) return std::nullopt;
  const cv::Mat& bgr = picture.full();
  if (auto near = findNear(bgr, ball)) return near;
  if (!wholeSearchDue(ball)) return std::nullopt;
  return measure(bgr, findBlobAnywhere(picture, ball, classes_, parameters_.blobs));
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
  ReducedPicture picture(bgr,
                         std::max(1, bgr.cols / std::max(1, parameters_.blobs.wholeSearchWidthPx)));
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    estimate.balls[ball - 1] = findAndMeasure(picture, ball);
    if (const auto& m = estimate.balls[ball - 1])
      views[ball - 1] = BallView{m->direction, m->range, m->rmsPx, centreSigmaPx(*m)};
  }
  last_ = estimate.balls;
  for (int ball = 1; ball <= site::kBallCount; ++ball) countUnseen(ball);
  estimate.pose =
      solveCameraPose(views, settings_.layout.centres, pinhole_.focal(), parameters_.gates);
  lastPose_ = estimate.pose;
  return estimate;
}

}  // namespace Orvanta::pose
