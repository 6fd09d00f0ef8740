// The vehicle's pose in the autopilot's frame from the camera's over the landmarks: the vehicle
// model's own camera placement inverted, at other headings and with other mountings.
#include "vehicle_pose.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <opencv2/calib3d.hpp>
#include <opencv2/core/quaternion.hpp>

#include "camera_mounting.hpp"
#include "rotation.hpp"

using namespace Orvanta;

namespace {

constexpr double kBottomDepth = 3;
constexpr double kDegree = std::numbers::pi / 180;

// Body to north-east-down for roll, pitch and yaw (z-y-x), written out.
cv::Matx33d bodyToNed(double roll, double pitch, double yaw) {
  const cv::Matx33d x(1, 0, 0, 0, std::cos(roll), -std::sin(roll), 0, std::sin(roll),
                      std::cos(roll));
  const cv::Matx33d y(std::cos(pitch), 0, std::sin(pitch), 0, 1, 0, -std::sin(pitch), 0,
                      std::cos(pitch));
  const cv::Matx33d z(std::cos(yaw), -std::sin(yaw), 0, std::sin(yaw), std::cos(yaw), 0, 0, 0, 1);
  return z * y * x;
}

// The camera's pose over the landmarks for a vehicle at `ned` (relative to the first ball) with
// those angles, the layout at that heading and the camera so mounted.
pose::CameraPose cameraOver(const cv::Vec3d& ned, const cv::Vec3d& angles, double heading,
                            const vehicle::Mounting& mounting) {
  const cv::Matx33d nedToLandmark = vehicle::landmarkToNed(heading).t();
  const cv::Matx33d body = bodyToNed(angles[0], angles[1], angles[2]);
  pose::CameraPose camera;
  camera.valid = true;
  camera.position = nedToLandmark * (ned + body * mounting.offset);
  camera.quaternion = pose::quaternionOf(nedToLandmark * body * mounting.cameraToBody);
  return camera;
}

double angleBetween(double a, double b) {
  return std::abs(std::remainder(a - b, 2 * std::numbers::pi));
}

}  // namespace

TEST(VehiclePose, TheVehicleModelsCameraPlacementInverted) {
  // The vehicle model places its camera by its own kinematics; with the default mounting and
  // the layout heading north, the pose sent on is the model's state.
  const std::vector<State> states = [] {
    std::vector<State> s(3, State{});
    s[0][6] = 0.3, s[0][7] = -0.2, s[0][8] = 1.2;
    s[1][6] = -1, s[1][7] = 0.5, s[1][8] = 0.4, s[1][11] = 30 * kDegree;
    s[2][6] = 2, s[2][7] = 1, s[2][8] = 1.5, s[2][9] = 10 * kDegree, s[2][10] = -5 * kDegree,
    s[2][11] = 200 * kDegree;
    return s;
  }();
  for (const auto& state : states) {
    const CameraPoseOnBottom placed = cameraPose(state, kBottomDepth);
    pose::CameraPose camera;
    camera.valid = true;
    camera.position = placed.position;
    camera.quaternion = placed.quaternion;
    const vehicle::VehiclePose v = vehiclePose(camera, 0, vehicle::Mounting{});
    const cv::Vec3d earth(state[6], state[7], state[8]);
    EXPECT_LT(cv::norm(v.position + cv::Vec3d(0, 0, kBottomDepth) - earth), 1e-9);
    for (int i = 0; i < 3; ++i) EXPECT_LT(angleBetween(v.eulerRadians[i], state[9 + i]), 1e-9);
    // The test's own composition agrees with the model's, so the cases below rest on it.
    const pose::CameraPose composed =
        cameraOver(earth - cv::Vec3d(0, 0, kBottomDepth), {state[9], state[10], state[11]}, 0,
                   vehicle::Mounting{});
    EXPECT_LT(cv::norm(composed.position - camera.position), 1e-9);
    EXPECT_LT(std::min(cv::norm(composed.quaternion - camera.quaternion),
                       cv::norm(composed.quaternion + camera.quaternion)),
              1e-9);
  }
}

TEST(VehiclePose, OtherHeadingsAndMountings) {
  struct Case {
    const char* what;
    double heading;
    vehicle::Mounting mounting;
  };
  const std::vector<Case> cases = {
      {"heading east", 90, {}},
      {"heading 217", 217, {}},
      {"offset camera tilted forward", 0, vehicle::mountingOf({0.3, -0.1, 0.2}, 0, 25, 0)},
      {"offset, rolled and turned, heading 45", 45,
       vehicle::mountingOf({-0.2, 0.1, 0.05}, 8, -12, 30)},
  };
  const cv::Vec3d ned(0.4, -0.7, -1.3), angles(4 * kDegree, -3 * kDegree, 120 * kDegree);
  for (const Case& c : cases) {
    const vehicle::VehiclePose v =
        vehiclePose(cameraOver(ned, angles, c.heading, c.mounting), c.heading, c.mounting);
    EXPECT_LT(cv::norm(v.position - ned), 1e-9) << c.what;
    for (int i = 0; i < 3; ++i)
      EXPECT_LT(angleBetween(v.eulerRadians[i], angles[i]), 1e-9) << c.what << ", angle " << i;
    const cv::Matx33d fromQuaternion =
        cv::Quatd(v.quaternion[0], v.quaternion[1], v.quaternion[2], v.quaternion[3]).toRotMat3x3();
    EXPECT_LT(cv::norm(fromQuaternion - bodyToNed(angles[0], angles[1], angles[2])), 1e-9)
        << c.what;
  }
  // North at heading 0, east at heading 90: the landmark x axis in the autopilot's frame.
  EXPECT_LT(cv::norm(vehicle::landmarkToNed(90) * cv::Vec3d(1, 0, 0) - cv::Vec3d(0, 1, 0)), 1e-12);
  EXPECT_LT(cv::norm(vehicle::landmarkToNed(0) * cv::Vec3d(0, 1, 0) - cv::Vec3d(0, -1, 0)), 1e-12);
}

TEST(VehiclePose, CovarianceFollowsTheTransformToFirstOrder) {
  // The camera's pose moved by small steps, the vehicle's pose taken anew each time: the
  // finite-difference Jacobian carries the camera's covariance to the vehicle's.
  const vehicle::Mounting mounting = vehicle::mountingOf({0.25, -0.1, 0.15}, 6, 20, -35);
  const double heading = 217;
  pose::CameraPose camera =
      cameraOver({0.4, -0.7, -1.3}, {4 * kDegree, -3 * kDegree, 120 * kDegree}, heading, mounting);
  cv::Matx<double, 6, 6> a;
  cv::randu(a, -1, 1);
  camera.covariance = 1e-4 * a * a.t();
  const auto stateOf = [&](const cv::Vec6d& step) {
    pose::CameraPose moved = camera;
    moved.position += cv::Vec3d(step[0], step[1], step[2]);
    cv::Matx33d turn;
    cv::Rodrigues(cv::Vec3d(step[3], step[4], step[5]), turn);
    const cv::Vec4d& q = camera.quaternion;
    moved.quaternion = pose::quaternionOf(turn * cv::Quatd(q[0], q[1], q[2], q[3]).toRotMat3x3());
    const vehicle::VehiclePose v = vehiclePose(moved, heading, mounting);
    return cv::Vec6d(v.position[0], v.position[1], v.position[2], v.eulerRadians[0],
                     v.eulerRadians[1], v.eulerRadians[2]);
  };
  cv::Matx<double, 6, 6> j;
  for (int k = 0; k < 6; ++k) {
    cv::Vec6d h = cv::Vec6d::all(0);
    h[k] = 1e-6;
    const cv::Vec6d column = (stateOf(h) - stateOf(-h)) * (1 / 2e-6);
    for (int r = 0; r < 6; ++r) j(r, k) = column[r];
  }
  const cv::Matx<double, 6, 6> expected = j * camera.covariance * j.t();
  const cv::Matx<double, 6, 6> got = vehiclePose(camera, heading, mounting).covariance;
  EXPECT_LT(cv::norm(got - expected), 1e-6 * cv::norm(expected));
  // Unknown stays unknown.
  camera.covariance = pose::PoseCovariance::all(NAN);
  EXPECT_TRUE(std::isnan(vehiclePose(camera, heading, mounting).covariance(0, 0)));
}
