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

}  // namespace Orvanta
