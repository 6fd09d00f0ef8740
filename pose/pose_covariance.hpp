// How sure a pose is: the first-order covariance of the camera's position and attitude from the
// ball centres' reprojection, each centre weighed by its own standard error. Where the centres
// fit the pose worse than those errors say (four balls leave two degrees of freedom to tell),
// the covariance grows by the reprojection's chi-square per degree of freedom: shading and JPEG
// move a centre by more than its outline's scatter shows.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace Orvanta::pose {

// Position (metres, landmark frame), then attitude (radians: small turns of the camera about the
// landmark axes). NaN everywhere when the centres do not fix the pose.
using PoseCovariance = cv::Matx<double, 6, 6>;

// The balls seen: where they are, where their centres appear (normalised image points) and the
// standard error of each centre (pixels).
struct CentreViews {
  const std::vector<cv::Point3d>& landmarks;
  const std::vector<cv::Point2d>& image;
  const std::vector<double>& sigmaPx;
};

// The camera at `centre` with attitude cameraToLandmark; focalPx the scale of the image plane.
PoseCovariance poseCovariance(const cv::Vec3d& centre, const cv::Matx33d& cameraToLandmark,
                              const CentreViews& views, double focalPx);

}  // namespace Orvanta::pose
