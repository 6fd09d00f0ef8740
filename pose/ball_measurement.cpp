#include "ball_measurement.hpp"

#include <algorithm>
#include <cmath>

#include "cone.hpp"
#include "rim.hpp"
#include "silhouette.hpp"

namespace Orvanta::pose {

namespace {

// The viewing cone through outline points; nothing when they are too few or scatter too much.
std::optional<Cone> coneThrough(const std::vector<cv::Point2d>& rim, const PinholeCamera& camera,
                                const PoseParameters::Outline& p) {
  std::vector<cv::Vec3d> rays;
  rays.reserve(rim.size());
  for (const cv::Point2d& point : rim) {
    const cv::Point2d n = undistortPixel(camera, point);
    rays.push_back(cv::normalize(cv::Vec3d(n.x, n.y, 1)));
  }
  const double focal = camera.focal();
  const std::optional<Cone> cone = fitCone(rays, p.floorPx / focal, int(p.rays * p.leastShare));
  if (!cone || cone->rms * focal > p.largestRmsPx || cone->axis[2] <= 0) return std::nullopt;
  return cone;
}

// A cone wider than the picture, or one whose circle misses it, came from an outline that is no
// ball's: every outline point lies in the picture.
bool seenInPicture(const BallMeasurement& ball, cv::Size picture) {
  const double r = ball.radiusPx;
  if (!(r < std::hypot(picture.width, picture.height))) return false;
  return cv::Rect2d(-r, -r, picture.width + 2 * r, picture.height + 2 * r).contains(ball.pixel);
}

}  // namespace

std::optional<BallMeasurement> measureBall(const cv::Mat& bgr, const Blob& blob,
                                           const PinholeCamera& camera,
                                           const UndistortionTable& table, double ballRadius,
                                           const PoseParameters& parameters) {
  const PoseParameters::Outline& p = parameters.outline;
  const double focal = camera.focal();
  // An outline read by the step is the steadier; where it is no ball's, the split may be.
  std::optional<Cone> cone = coneThrough(rimPoints(bgr, blob, EdgeReading::step, p), camera, p);
  if (!cone) cone = coneThrough(rimPoints(bgr, blob, EdgeReading::split, p), camera, p);
  if (!cone) return std::nullopt;
  // The outline finds the ball; its silhouette's moments, where the ball is wholly in the
  // picture, place it. When they move it much, a second look centres their bands on it.
  for (int look = 0; look < 2; ++look) {
    const std::optional<Cone> refined =
        coneFromSilhouette(bgr, *cone, camera, table, parameters.silhouette);
    if (!refined) break;
    const double moved = std::acos(std::min(1.0, refined->axis.dot(cone->axis))) * focal;
    cone = refined;
    if (moved < p.settledPx) break;
  }
  BallMeasurement ball;
  ball.direction = cone->axis;
  ball.range = ballRadius / std::sin(cone->halfAngle);
  ball.pixel =
      distortToPixel(camera, {cone->axis[0] / cone->axis[2], cone->axis[1] / cone->axis[2]});
  ball.radiusPx = std::tan(cone->halfAngle) * focal;
  ball.rmsPx = cone->rms * focal;
  ball.rimPoints = cone->kept;
  if (!seenInPicture(ball, bgr.size())) return std::nullopt;
  return ball;
}

}  // namespace Orvanta::pose
