#include "trilateration.hpp"

#include <cmath>

#include "pair_geometry.hpp"

namespace Orvanta {
namespace {

// Candidates whose deviations from the deciding range differ by less than this fraction of
// that range are equally consistent with it. Mirror images across the landmark plane differ
// only by rounding (around 1e-15 of the range); any geometric difference is many orders of
// magnitude larger than 1e-9 of a range of a few metres (nanometres).
constexpr double kTieTolerance = 1e-9;

constexpr int kPairs[6][2] = {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};

cv::Vec3d landmark(const cv::Mat& landmarks, int k) {
  return {landmarks.at<double>(0, k - 1), landmarks.at<double>(1, k - 1),
          landmarks.at<double>(2, k - 1)};
}

// The candidate closer to the deciding landmark's range sphere; a tie goes to the point on
// the camera's side (z >= 0) of the landmark frame, else to the second candidate.
const cv::Vec3d& decide(const cv::Vec3d& P1, const cv::Vec3d& P2, const cv::Vec3d& pd, double rd) {
  const double dev1 = std::fabs(cv::norm(P1 - pd) - rd);
  const double dev2 = std::fabs(cv::norm(P2 - pd) - rd);
  if (std::fabs(dev1 - dev2) <= kTieTolerance * rd) return P1[2] >= 0 && P2[2] < 0 ? P1 : P2;
  return dev1 < dev2 ? P1 : P2;
}

}  // namespace

cv::Vec3d trilaterate(const cv::Mat& ranges, const cv::Mat& landmarks) {
  CV_Assert(ranges.type() == CV_64FC1 && ranges.rows == 4 && ranges.cols == 1);
  CV_Assert(landmarks.type() == CV_64FC1 && landmarks.rows == 3 && landmarks.cols == 4);
  auto range = [&](int k) { return ranges.at<double>(k - 1, 0); };

  cv::Vec3d sum(0, 0, 0);
  for (const auto& pair : kPairs) {
    const int a = pair[0], b = pair[1];
    const int c = otherLandmark(a, b, 4, 1), d = otherLandmark(a, b, 4, 2);
    const PairFrame f =
        pairFrame(landmark(landmarks, a), landmark(landmarks, b), range(a), range(b));
    for (const auto& [build, decider] : {std::pair{c, d}, std::pair{d, c}}) {
      cv::Vec3d P1, P2;
      circleCandidates(f, landmark(landmarks, build), range(build), P1, P2);
      sum += decide(P1, P2, landmark(landmarks, decider), range(decider));
    }
  }
  return sum / 12.0;
}

}  // namespace Orvanta
