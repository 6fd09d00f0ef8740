#include "camera_mounting.hpp"

#include <cmath>

#include "rotation.hpp"

namespace Orvanta {

namespace {

// Body to earth for roll, pitch and yaw, as the model's kinematics have it (J1).
cv::Matx33d bodyToEarth(double phi, double theta, double psi) {
  const double cf = std::cos(phi), sf = std::sin(phi), ct = std::cos(theta), st = std::sin(theta);
  const double cp = std::cos(psi), sp = std::sin(psi);
  return {cp * ct,
          cp * st * sf - sp * cf,
          sp * sf + cp * cf * st,
          sp * ct,
          cf * cp + sf * st * sp,
          cf * st * sp - cp * sf,
          -st,
          ct * sf,
          cf * ct};
}

const cv::Matx33d kEarthToLandmark(1, 0, 0, 0, -1, 0, 0, 0, -1);
// Columns: the camera's right, down and forward in body coordinates.
const cv::Matx33d kCameraToBody(0, -1, 0, 1, 0, 0, 0, 0, 1);

}  // namespace

CameraPoseOnBottom cameraPose(const State& x, double bottomDepth) {
  const cv::Vec3d earth(x[6], x[7], x[8]);
  const cv::Matx33d cameraToLandmark =
      kEarthToLandmark * bodyToEarth(x[9], x[10], x[11]) * kCameraToBody;
  return {kEarthToLandmark * earth + cv::Vec3d(0, 0, bottomDepth),
          pose::quaternionOf(cameraToLandmark)};
}

}  // namespace Orvanta
