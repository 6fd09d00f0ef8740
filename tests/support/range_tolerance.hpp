// What the range solver's chain can promise on a generated view: each ball's range from a
// whole-pixel radius, and the position error that those ranges allow.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/core.hpp>

#include "scene.hpp"
#include "trilateration.hpp"

namespace OrvantaTest {

// The range model sees a ball of true range d with an apparent radius of 24.6 / d pixels and
// turns the detected integer radius R back into 24.6 / R. Rounding to whole pixels costs up to
// half a pixel and the circle fit about one more, so each range lies within
// [24.6 / (24.6 / d + 1.5), 24.6 / (24.6 / d - 1.5)]: about +-0.12 m at 1.4 m, +-0.16 m at
// 1.6 m.
constexpr double radiusError = 1.5;  // pixels

inline std::array<double, 2> rangeBounds(double trueRange) {
  const double radius = 24.6 / trueRange;
  return {24.6 / (radius + radiusError), 24.6 / (radius - radiusError)};
}

// The tolerance of each coordinate is the largest error the solver makes over the 16
// combinations of those range bounds. The short baseline (0.7 m by 0.51 m seen from 1.3 m and
// more) magnifies range errors: about 0.45 to 0.7 m in x, 0.6 to 1.0 m in y, 0.25 to 0.6 m in z
// for the views below.
inline cv::Vec3d positionTolerance(const cv::Vec3d& truth) {
  const std::array<double, 4> range = Orvanta::scene::trueDistances(truth);
  const cv::Mat landmarks =
      (cv::Mat_<double>(3, 4) << 0, 0.7, 0.7, 0, 0, 0, -0.51, -0.51, 0, 0, 0, 0);
  cv::Vec3d tolerance(0, 0, 0);
  for (int corner = 0; corner < 16; ++corner) {
    cv::Mat ranges(4, 1, CV_64FC1);
    for (int i = 0; i < 4; ++i) ranges.at<double>(i) = rangeBounds(range[i])[(corner >> i) & 1];
    const cv::Vec3d error = Orvanta::trilaterate(ranges, landmarks) - truth;
    for (int axis = 0; axis < 3; ++axis)
      tolerance[axis] = std::max(tolerance[axis], std::abs(error[axis]));
  }
  return tolerance;
}

}  // namespace OrvantaTest
