// The camera's pose from the directions of the ball centres and the landmark table. The ball
// centres are coplanar: four give the planar pose problem (two candidates, both refined, the
// better kept), three the three-point problem (up to four candidates, which the balls'
// apparent sizes tell apart).
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

#include "colour_classes.hpp"
#include "parameters.hpp"
#include "pose_covariance.hpp"
#include "pose_status.hpp"

namespace Orvanta::pose {

// One ball as measured: its centre's direction in the camera frame and its range.
struct BallView {
  cv::Vec3d direction;       // unit
  double range = 0;          // metres
  double scatterPx = 0;      // its outline's deviation from a sphere's, pixels (0: unknown)
  double centreSigmaPx = 0;  // standard error of its centre, pixels (0: unknown)
};

struct CameraPose {
  bool valid = false;
  cv::Vec3d position;         // camera centre, landmark frame, metres
  cv::Vec4d quaternion;       // w, x, y, z: camera frame (x right, y down, z forward) to landmarks
  double headingDegrees = 0;  // the camera's x axis in the landmark x-y plane, (-180, 180]
  int balls = 0;              // balls measured (and used, when valid)
  double rmsPx = 0;           // reprojection error of the ball centres, pixels
  double rangeDisagreement = 0;  // rms relative difference of pose distances and ball ranges
  PoseCovariance covariance = PoseCovariance::all(NAN);  // of position and attitude
  // Four balls: the planar solver's worse solution's reprojection sum of squares over its better
  // one's. Near 1 the two fit alike (a view straight down from afar): the pose may flip between
  // them from picture to picture.
  double rivalCostRatio = INFINITY;
  PoseStatus status;
};

// focalPx converts normalised image errors into pixels; gates say when the pose is refused.
CameraPose solveCameraPose(const std::array<std::optional<BallView>, site::kBallCount>& balls,
                           const std::array<cv::Point3d, site::kBallCount>& landmarks,
                           double focalPx, const PoseParameters::Gates& gates = {});

}  // namespace Orvanta::pose
