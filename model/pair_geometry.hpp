// Where the range spheres of two landmarks a and b meet: a circle around their baseline.
// Works in a pair frame with its origin at a and its x axis pointing from a to b.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

struct PairFrame {
  cv::Mat origin;  // 3x1, landmark a
  cv::Mat R;       // 3x3, pair frame to landmark frame
  cv::Mat Rinv;    // 3x3, landmark frame to pair frame
  double x0;       // circle centre, signed distance from a towards b
  double h;        // circle radius
};

// pa, pb: 3x1 landmark positions; ra, rb: ranges to them. Not-a-number radius when the two
// spheres do not meet.
PairFrame pairFrame(const cv::Mat& pa, const cv::Mat& pb, double ra, double rb);

// Points w of the pair frame (3xN) in the landmark frame.
cv::Mat toLandmarkFrame(const PairFrame& frame, const cv::Mat& w);

// A landmark-frame point in the pair frame, relative to the circle's centre.
cv::Mat offsetFromCentre(const PairFrame& frame, const cv::Mat& point);

// The two points of the circle that lie at range rc from the landmark pc, as the columns of a
// 3x2 matrix in the landmark frame. Not-a-number when the sphere of pc misses the circle.
cv::Mat circleCandidates(const PairFrame& frame, const cv::Mat& pc, double rc);

}  // namespace Orvanta
