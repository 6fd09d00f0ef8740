#include "vehicle_pose.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/core/quaternion.hpp>

#include "rotation.hpp"

namespace Orvanta::vehicle {

namespace {

double radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// Rotations about the body's forward, right and down axes.
cv::Matx33d aboutX(double a) {
  return {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
}
cv::Matx33d aboutY(double a) {
  return {std::cos(a), 0, std::sin(a), 0, 1, 0, -std::sin(a), 0, std::cos(a)};
}
cv::Matx33d aboutZ(double a) {
  return {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
}

// Roll, pitch and yaw of a body-to-NED rotation R = Rz(yaw) Ry(pitch) Rx(roll).
cv::Vec3d eulerOf(const cv::Matx33d& r) {
  const double pitch = std::asin(std::clamp(-r(2, 0), -1.0, 1.0));
  return {std::atan2(r(2, 1), r(2, 2)), pitch, std::atan2(r(1, 0), r(0, 0))};
}

}  // namespace

Mounting mountingOf(const cv::Vec3d& offset, double rollDeg, double pitchDeg, double yawDeg) {
  Mounting mounting;
  mounting.offset = offset;
  mounting.cameraToBody = aboutZ(radians(yawDeg)) * aboutY(radians(pitchDeg)) *
                          aboutX(radians(rollDeg)) * mounting.cameraToBody;
  return mounting;
}

cv::Matx33d landmarkToNed(double headingDegrees) {
  const double c = std::cos(radians(headingDegrees)), s = std::sin(radians(headingDegrees));
  // Columns: the landmark frame's x (the heading), y (90 degrees anticlockwise of it) and up.
  return {c, s, 0, s, -c, 0, 0, 0, -1};
}

VehiclePose vehiclePose(const pose::CameraPose& camera, double headingDegrees,
                        const Mounting& mounting) {
  const cv::Vec4d& q = camera.quaternion;
  const cv::Matx33d cameraToLandmark = cv::Quatd(q[0], q[1], q[2], q[3]).toRotMat3x3();
  const cv::Matx33d toNed = landmarkToNed(headingDegrees);
  const cv::Matx33d bodyToNed = toNed * cameraToLandmark * mounting.cameraToBody.t();
  VehiclePose pose;
  pose.position = toNed * camera.position - bodyToNed * mounting.offset;
  pose.quaternion = pose::quaternionOf(bodyToNed);
  pose.eulerRadians = eulerOf(bodyToNed);
  return pose;
}

}  // namespace Orvanta::vehicle
