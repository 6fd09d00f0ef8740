// The vehicle camera's calibrated model at 320x240: focal lengths fx, fy and principal point
// cx, cy in pixels, and the lens distortion k1, k2, p1, p2. The tracking loop undistorts with
// it and the scene generator renders through it.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

inline const cv::Matx33d cameraIntrinsics(489.55087, 0, 145.82162, 0, 491.43384, 126.79248, 0, 0,
                                          1);
inline const cv::Vec4d lensDistortion(-0.21652, 0.02175, -0.00155, 0.00162);
inline constexpr int calibratedWidth = 320, calibratedHeight = 240;

// The intrinsics for pictures of another size from the same camera (the sensor binned or
// scaled): focal lengths and principal point scale with the width and the height.
inline cv::Matx33d cameraIntrinsicsFor(cv::Size size) {
  const double sx = double(size.width) / calibratedWidth;
  const double sy = double(size.height) / calibratedHeight;
  const cv::Matx33d& K = cameraIntrinsics;
  return {K(0, 0) * sx, 0, K(0, 2) * sx, 0, K(1, 1) * sy, K(1, 2) * sy, 0, 0, 1};
}

}  // namespace Orvanta
