#include "camera_model.hpp"

#include <cmath>

namespace Orvanta::scene {

namespace {
constexpr double kFx = 489.55087, kFy = 491.43384, kCx = 145.82162, kCy = 126.79248;
constexpr int kCalibratedWidth = 320, kCalibratedHeight = 240;
}  // namespace

cv::Matx33d cameraMatrix(cv::Size size) {
  const double sx = double(size.width) / kCalibratedWidth;
  const double sy = double(size.height) / kCalibratedHeight;
  return {kFx * sx, 0, kCx * sx, 0, kFy * sy, kCy * sy, 0, 0, 1};
}

cv::Vec4d distortionCoefficients() {
  return {-0.21652, 0.02175, -0.00155, 0.00162};
}

cv::Matx33d viewRotation(const Pose& pose) {
  const cv::Vec3d forward = cv::normalize(pose.target - pose.position);
  cv::Vec3d right = forward.cross(cv::Vec3d(0, 1, 0));
  // Looking along y, +y gives no direction in the image; the world's vertical does.
  if (cv::norm(right) < 1e-6) right = forward.cross(cv::Vec3d(0, 0, 1));
  right = cv::normalize(right);
  const cv::Vec3d down = forward.cross(right);
  return {right[0], right[1],   right[2],   down[0],   down[1],
          down[2],  forward[0], forward[1], forward[2]};
}

}  // namespace Orvanta::scene
