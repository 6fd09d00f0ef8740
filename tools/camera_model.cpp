#include "camera_model.hpp"

#include <cmath>

#include "../vision/camera_model.hpp"

namespace Orvanta::scene {

cv::Matx33d cameraMatrix(cv::Size size) {
  const double sx = double(size.width) / calibratedWidth;
  const double sy = double(size.height) / calibratedHeight;
  const cv::Matx33d& K = cameraIntrinsics;
  return {K(0, 0) * sx, 0, K(0, 2) * sx, 0, K(1, 1) * sy, K(1, 2) * sy, 0, 0, 1};
}

cv::Vec4d distortionCoefficients() {
  return lensDistortion;
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
