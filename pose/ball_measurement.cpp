#include "ball_measurement.hpp"

#include <algorithm>
#include <cmath>

#include "cone.hpp"
#include "rim.hpp"
#include "silhouette.hpp"

namespace Orvanta::pose {

namespace {

// At least this much of the outline, a third of it, must be seen clearly.
constexpr int kLeastRimPoints = kRimRays / 3;
// Outline points this close to the cone are never rejected; a sphere's outline on MJPG video
// scatters by about a tenth of a pixel.
constexpr double kFloorPx = 0.25;
// An outline that scatters more than this is not a ball's.
constexpr double kLargestRmsPx = 0.5;
// A refinement that moves the ball less than this needs no second look.
constexpr double kSettledPx = 0.3;

}  // namespace

std::optional<BallMeasurement> measureBall(const cv::Mat& bgr, const Blob& blob,
                                           const PinholeCamera& camera,
                                           const UndistortionTable& table, double ballRadius) {
  const std::vector<cv::Point2d> rim = rimPoints(bgr, blob);
  std::vector<cv::Vec3d> rays;
  rays.reserve(rim.size());
  for (const cv::Point2d& p : rim) {
    const cv::Point2d n = undistortPixel(camera, p);
    rays.push_back(cv::normalize(cv::Vec3d(n.x, n.y, 1)));
  }
  const double focal = camera.focal();
  std::optional<Cone> cone = fitCone(rays, kFloorPx / focal, kLeastRimPoints);
  if (!cone || cone->rms * focal > kLargestRmsPx || cone->axis[2] <= 0) return std::nullopt;
  // The outline finds the ball; its silhouette's moments, where the ball is wholly in the
  // picture, place it. When they move it much, a second look centres their bands on it.
  for (int look = 0; look < 2; ++look) {
    const std::optional<Cone> refined = coneFromSilhouette(bgr, *cone, camera, table);
    if (!refined) break;
    const double moved = std::acos(std::min(1.0, refined->axis.dot(cone->axis))) * focal;
    cone = refined;
    if (moved < kSettledPx) break;
  }
  BallMeasurement ball;
  ball.direction = cone->axis;
  ball.range = ballRadius / std::sin(cone->halfAngle);
  ball.pixel =
      distortToPixel(camera, {cone->axis[0] / cone->axis[2], cone->axis[1] / cone->axis[2]});
  ball.radiusPx = std::tan(cone->halfAngle) * focal;
  ball.rmsPx = cone->rms * focal;
  ball.rimPoints = cone->kept;
  return ball;
}

}  // namespace Orvanta::pose
