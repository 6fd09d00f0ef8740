// Where the range spheres of two landmarks meet (a circle around their baseline), and where
// the sphere of a third landmark cuts that circle. Works in a pair frame with its origin at
// landmark a and its x axis pointing from a to b.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

struct PairFrame {
  cv::Vec3d origin;  // landmark a
  cv::Matx33d R;     // pair frame to landmark frame
  cv::Matx33d Rinv;  // landmark frame to pair frame
  double x0;         // circle centre: signed distance from a towards b
  double h;          // circle radius; not a number when the spheres do not meet
};

PairFrame pairFrame(const cv::Vec3d& pa, const cv::Vec3d& pb, double ra, double rb);

// A pair-frame point in the landmark frame.
cv::Vec3d toLandmarkFrame(const PairFrame& frame, const cv::Vec3d& w);

// A landmark-frame point in the pair frame, relative to the circle's centre.
cv::Vec3d offsetFromCentre(const PairFrame& frame, const cv::Vec3d& point);

// The two points of the circle at range rc from landmark pc, in the landmark frame; not a
// number when that sphere misses the circle.
void circleCandidates(const PairFrame& frame, const cv::Vec3d& pc, double rc, cv::Vec3d& P1,
                      cv::Vec3d& P2);

// The nth (1-based) landmark after b in the cyclic order 1, 2, ..., count, 1, ... that is
// neither a nor b.
int otherLandmark(int a, int b, int count, int nth);

}  // namespace Orvanta
