// Where the scene's camera stands and how it is turned.
#include <cmath>
#include <numbers>

#include "rotation.hpp"
#include "scene.hpp"

namespace Orvanta::scene {

Pose lookAt(const cv::Vec3d& position, const cv::Vec3d& target, double rollDegrees) {
  const cv::Vec3d forward = cv::normalize(target - position);
  cv::Vec3d right = forward.cross(cv::Vec3d(0, 1, 0));
  // Looking along y, +y gives no direction in the image; the world's vertical does.
  if (cv::norm(right) < 1e-6) right = forward.cross(cv::Vec3d(0, 0, 1));
  right = cv::normalize(right);
  cv::Vec3d down = forward.cross(right);
  // Right-handed about the viewing direction: image right turns towards image down.
  const double a = rollDegrees * std::numbers::pi / 180;
  const cv::Vec3d rolledRight = std::cos(a) * right + std::sin(a) * down;
  down = forward.cross(rolledRight);
  return {position, cv::Matx33d(rolledRight[0], rolledRight[1], rolledRight[2], down[0], down[1],
                                down[2], forward[0], forward[1], forward[2])};
}

cv::Vec4d cameraQuaternion(const Pose& pose) {
  return pose::quaternionOf(pose.rotation.t());
}

double cameraHeadingDegrees(const Pose& pose) {
  return pose::headingDegrees(pose.rotation.t());
}

}  // namespace Orvanta::scene
