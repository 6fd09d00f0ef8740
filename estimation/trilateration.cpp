#include "trilateration.hpp"

#include <cmath>

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

// Landmark numbers after b in cyclic order 1 -> 2 -> 3 -> 4 -> 1, skipping a and b.
void otherLandmarks(int a, int b, int& c, int& d) {
  int k = 1;
  auto next = [&] {
    while ((b + k - 1) % 4 + 1 == a || (b + k - 1) % 4 + 1 == b) ++k;
    return (b + k - 1) % 4 + 1;
  };
  c = next();
  ++k;
  d = next();
}

// Frame of a landmark pair: origin at p_a, x axis towards p_b.
struct PairFrame {
  cv::Vec3d origin;
  cv::Matx33d R, Rinv;
  double x0, h;  // centre (on the x axis) and radius of the circle where both spheres meet
};

PairFrame pairFrame(const cv::Vec3d& pa, const cv::Vec3d& pb, double ra, double rb) {
  const cv::Vec3d diff = pb - pa;
  const double D = cv::norm(diff);
  const double chord = (D * D - rb * rb) + ra * ra;
  const double psi = std::atan2(diff[1], diff[0]);
  const double theta = std::atan2(diff[2], std::sqrt(diff[0] * diff[0] + diff[1] * diff[1]));
  const cv::Matx33d Rz(std::cos(psi), -std::sin(psi), 0, std::sin(psi), std::cos(psi), 0, 0, 0, 1);
  const cv::Matx33d Ry(std::cos(theta), 0, -std::sin(theta), 0, 1, 0, std::sin(theta), 0,
                       std::cos(theta));
  PairFrame f;
  f.origin = pa;
  f.R = Rz * Ry;
  f.Rinv = f.R.inv(cv::DECOMP_LU);
  f.x0 = chord / 2 / D;
  f.h = (0.5 / D) * std::sqrt(4 * D * D * ra * ra - chord * chord);
  return f;
}

// Cuts the pair's circle with the sphere of building landmark pc (range rc); the two points,
// in the landmark frame.
void candidates(const PairFrame& f, const cv::Vec3d& pc, double rc, cv::Vec3d& P1, cv::Vec3d& P2) {
  const cv::Vec3d u = f.Rinv * (pc - f.origin) - cv::Vec3d(f.x0, 0, 0);
  const double rho = std::sqrt(rc * rc - u[0] * u[0]);
  const double delta = std::sqrt(u[1] * u[1] + u[2] * u[2]);
  const double phi = std::atan2(u[2], u[1]);
  const double chord = delta * delta - rho * rho + f.h * f.h;
  const double s = chord / 2 / delta;
  const double t = (0.5 / delta) * std::sqrt(4 * delta * delta * f.h * f.h - chord * chord);
  const double cp = std::cos(phi), sp = std::sin(phi);
  P1 = f.R * cv::Vec3d(f.x0, s * cp - t * sp, s * sp + t * cp) + f.origin;
  P2 = f.R * cv::Vec3d(f.x0, s * cp + t * sp, s * sp - t * cp) + f.origin;
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
    int c = 0, d = 0;
    otherLandmarks(a, b, c, d);
    const PairFrame f =
        pairFrame(landmark(landmarks, a), landmark(landmarks, b), range(a), range(b));
    for (const auto& [build, decider] : {std::pair{c, d}, std::pair{d, c}}) {
      cv::Vec3d P1, P2;
      candidates(f, landmark(landmarks, build), range(build), P1, P2);
      sum += decide(P1, P2, landmark(landmarks, decider), range(decider));
    }
  }
  return sum / 12.0;
}

}  // namespace Orvanta
