// One ball measured on the raw picture: its outline to sub-pixel precision, undistorted into
// viewing rays, and the sphere's viewing cone fitted to them.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "blob.hpp"
#include "parameters.hpp"
#include "pinhole.hpp"

namespace Orvanta::pose {

struct BallMeasurement {
  cv::Point2d pixel;    // the ball's centre as it appears in the raw picture
  double radiusPx = 0;  // its apparent radius, pixels
  cv::Vec3d direction;  // of its centre, unit, camera frame
  double range = 0;     // from the camera centre to the ball's centre, metres
  double rmsPx = 0;     // the outline's deviation from the fitted cone, pixels
  int rimPoints = 0;    // outline points the fit kept
};

// Nothing when too little of the outline is seen or it is not the outline of a sphere. The
// table is the camera's, at the picture's size.
std::optional<BallMeasurement> measureBall(const cv::Mat& bgr, const Blob& blob,
                                           const PinholeCamera& camera,
                                           const UndistortionTable& table, double ballRadius,
                                           const PoseParameters& parameters);

}  // namespace Orvanta::pose
