#include "pair_geometry.hpp"

#include <cmath>

namespace Orvanta {

PairFrame pairFrame(const cv::Vec3d& pa, const cv::Vec3d& pb, double ra, double rb) {
  const cv::Vec3d diff = pb - pa;
  const double D = cv::norm(diff);
  const double chord = (D * D - rb * rb) + ra * ra;
  // Azimuth about z, then elevation about y, of the baseline.
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

cv::Vec3d toLandmarkFrame(const PairFrame& frame, const cv::Vec3d& w) {
  return frame.R * w + frame.origin;
}

cv::Vec3d offsetFromCentre(const PairFrame& frame, const cv::Vec3d& point) {
  return frame.Rinv * (point - frame.origin) - cv::Vec3d(frame.x0, 0, 0);
}

// In the circle's plane: the circle (centre 0, radius h) meets the section of the sphere of pc
// (centre at distance delta in direction phi, radius rho) in two points mirrored across that
// direction.
void circleCandidates(const PairFrame& frame, const cv::Vec3d& pc, double rc, cv::Vec3d& P1,
                      cv::Vec3d& P2) {
  const cv::Vec3d u = offsetFromCentre(frame, pc);
  const double rho = std::sqrt(rc * rc - u[0] * u[0]);
  const double delta = std::sqrt(u[1] * u[1] + u[2] * u[2]);
  const double phi = std::atan2(u[2], u[1]);
  const double h = frame.h;
  const double chord = delta * delta - rho * rho + h * h;
  const double s = chord / 2 / delta;
  const double t = (0.5 / delta) * std::sqrt(4 * delta * delta * h * h - chord * chord);
  const double cp = std::cos(phi), sp = std::sin(phi);
  P1 = toLandmarkFrame(frame, {frame.x0, s * cp - t * sp, s * sp + t * cp});
  P2 = toLandmarkFrame(frame, {frame.x0, s * cp + t * sp, s * sp - t * cp});
}

int otherLandmark(int a, int b, int count, int nth) {
  for (int k = 1;; ++k) {
    const int candidate = (b + k - 1) % count + 1;
    if (candidate != a && candidate != b && --nth == 0) return candidate;
  }
}

}  // namespace Orvanta
