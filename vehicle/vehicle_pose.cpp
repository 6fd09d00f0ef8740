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

cv::Matx33d cross(const cv::Vec3d& v) {
  return {0, -v[2], v[1], v[2], 0, -v[0], -v[1], v[0], 0};
}

// How roll, pitch and yaw change with a small turn about the north, east and down axes: the
// inverse of the turn each angle's change makes, [Rz Ry x, Rz y, z].
cv::Matx33d eulerPerTurn(const cv::Vec3d& euler) {
  const double cp = std::cos(euler[1]);
  if (std::abs(cp) < 1e-9) return cv::Matx33d::all(NAN);
  const cv::Matx33d z = aboutZ(euler[2]);
  const cv::Vec3d roll = z * aboutY(euler[1]) * cv::Vec3d(1, 0, 0), pitch = z * cv::Vec3d(0, 1, 0);
  const cv::Matx33d turns(roll[0], pitch[0], 0, roll[1], pitch[1], 0, roll[2], pitch[2], 1);
  return turns.inv();
}

// The first-order map from the camera's small changes (position, then turn, in the landmark
// frame) to the body's (position north-east-down, then roll, pitch, yaw).
cv::Matx<double, 6, 6> bodyPerCamera(const cv::Matx33d& toNed, const cv::Matx33d& bodyToNed,
                                     const cv::Vec3d& offset, const cv::Vec3d& euler) {
  // The body's origin is the camera's centre less the turned offset: turning the vehicle by a
  // small t moves it by t x (R offset).
  const cv::Matx33d positionPerTurn = cross(bodyToNed * offset) * toNed;
  const cv::Matx33d anglesPerTurn = eulerPerTurn(euler) * toNed;
  cv::Matx<double, 6, 6> j = cv::Matx<double, 6, 6>::zeros();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      j(r, c) = toNed(r, c);
      j(r, 3 + c) = positionPerTurn(r, c);
      j(3 + r, 3 + c) = anglesPerTurn(r, c);
    }
  return j;
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
  const cv::Matx<double, 6, 6> j =
      bodyPerCamera(toNed, bodyToNed, mounting.offset, pose.eulerRadians);
  pose.covariance = j * camera.covariance * j.t();
  return pose;
}

}  // namespace Orvanta::vehicle
