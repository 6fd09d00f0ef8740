// Where a ball must appear when the camera is where a pose puts it: how a lost ball is looked
// for where the other balls say it is.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "camera_pose.hpp"
#include "pinhole.hpp"

namespace Orvanta::pose {

struct PredictedBall {
  cv::Point2d pixel;    // its centre in the raw picture
  double radiusPx = 0;  // its apparent radius
};

// Nothing when the ball lies behind the camera or outside the picture of `size` (beyond the
// lens model's reach, where a distorted projection could fold back into the picture).
std::optional<PredictedBall> predictBall(const CameraPose& pose, const cv::Point3d& centre,
                                         double ballRadius, const PinholeCamera& camera,
                                         cv::Size size);

}  // namespace Orvanta::pose
