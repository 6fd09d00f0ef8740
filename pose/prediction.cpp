#include "prediction.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/core/quaternion.hpp>

namespace Orvanta::pose {

namespace {

// The largest distance from the optical axis, in the normalised plane, that the picture shows:
// that of its farthest corner.
double widestNormalised(const PinholeCamera& camera, cv::Size size) {
  double widest = 0;
  for (const cv::Point2d corner :
       {cv::Point2d(0, 0), cv::Point2d(size.width, 0), cv::Point2d(0, size.height),
        cv::Point2d(size.width, size.height)})
    widest = std::max(widest, cv::norm(undistortPixel(camera, corner)));
  return widest;
}

}  // namespace

std::optional<PredictedBall> predictBall(const CameraPose& pose, const cv::Point3d& centre,
                                         double ballRadius, const PinholeCamera& camera,
                                         cv::Size size) {
  if (!pose.valid) return std::nullopt;
  const cv::Quatd attitude(pose.quaternion[0], pose.quaternion[1], pose.quaternion[2],
                           pose.quaternion[3]);
  const cv::Vec3d inCamera =
      attitude.toRotMat3x3().t() * (cv::Vec3d(centre.x, centre.y, centre.z) - pose.position);
  const double distance = cv::norm(inCamera);
  if (!(inCamera[2] > ballRadius) || distance <= ballRadius) return std::nullopt;
  const cv::Point2d normalised(inCamera[0] / inCamera[2], inCamera[1] / inCamera[2]);
  const double angularRadius = std::asin(ballRadius / distance);
  if (std::atan(cv::norm(normalised)) - angularRadius > std::atan(widestNormalised(camera, size)))
    return std::nullopt;
  PredictedBall ball{distortToPixel(camera, normalised), camera.focal() * std::tan(angularRadius)};
  const cv::Rect2d reach(-ball.radiusPx, -ball.radiusPx, size.width + 2 * ball.radiusPx,
                         size.height + 2 * ball.radiusPx);
  if (!reach.contains(ball.pixel)) return std::nullopt;
  return ball;
}

}  // namespace Orvanta::pose
