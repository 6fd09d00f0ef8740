// Closed-form trilateration of a point from its ranges to four landmarks.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

// ranges: 4x1 CV_64FC1, element k-1 the range to landmark k (metres).
// landmarks: 3x4 CV_64FC1, column k-1 = (x, y, z) of landmark k (metres).
// Returns the position in the landmark frame; not-a-number when no point fits the ranges.
// Neither input is modified and nothing is kept between calls.
cv::Vec3d trilaterate(const cv::Mat& ranges, const cv::Mat& landmarks);

}  // namespace Orvanta
