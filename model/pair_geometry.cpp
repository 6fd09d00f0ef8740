#include "pair_geometry.hpp"

#include <cmath>

#include "mat_ops.hpp"

namespace Orvanta {

namespace {

// Azimuth about z, then elevation about y, of the baseline from a to b.
cv::Mat baselineRotation(const cv::Mat& pa, const cv::Mat& pb) {
  const cv::Mat d = pb - pa;
  const double dx = d.at<double>(0, 0), dy = d.at<double>(1, 0), dz = d.at<double>(2, 0);
  const double psi = std::atan2(dy, dx);
  const double theta = std::atan2(dz, std::sqrt(dx * dx + dy * dy));
  const double cp = std::cos(psi), sp = std::sin(psi);
  const double ct = std::cos(theta), st = std::sin(theta);
  double RpsiC[9] = {cp, -sp, 0.0, sp, cp, 0.0, 0.0, 0.0, 1.0};
  double RthetaC[9] = {ct, 0.0, -st, 0.0, 1.0, 0.0, st, 0.0, ct};
  return product(cv::Mat(3, 3, CV_64FC1, RpsiC), cv::Mat(3, 3, CV_64FC1, RthetaC));
}

}  // namespace

PairFrame pairFrame(const cv::Mat& pa, const cv::Mat& pb, double ra, double rb) {
  const double D = cv::norm(pb, pa, cv::NORM_L2);
  const double along = (D * D - rb * rb) + ra * ra;
  PairFrame frame;
  frame.origin = pa.clone();
  frame.R = baselineRotation(pa, pb);
  frame.Rinv = inverse(frame.R);
  frame.x0 = along / 2 / D;
  frame.h = (0.5 / D) * std::sqrt(4 * D * D * ra * ra - along * along);
  return frame;
}

cv::Mat toLandmarkFrame(const PairFrame& frame, const cv::Mat& w) {
  return product(frame.R, w) + cv::repeat(frame.origin, 1, w.cols);
}

cv::Mat offsetFromCentre(const PairFrame& frame, const cv::Mat& point) {
  const cv::Mat posPomN11 = product(frame.Rinv, point - frame.origin);
  return posPomN11 - column({frame.x0, 0.0, 0.0});
}

// In the circle's plane: the circle (centre 0, radius h) meets the section of the sphere of pc
// (centre at distance delta in direction phi, radius rho) in two points mirrored across that
// direction.
cv::Mat circleCandidates(const PairFrame& frame, const cv::Mat& pc, double rc) {
  const cv::Mat u = offsetFromCentre(frame, pc);
  const double ux = u.at<double>(0, 0), uy = u.at<double>(1, 0), uz = u.at<double>(2, 0);
  const double rho = std::sqrt(rc * rc - ux * ux);
  const double delta = cv::norm(column({uy, uz}), cv::NORM_L2);
  const double phi = std::atan2(uz, uy);
  const double h = frame.h;
  const double along = delta * delta - rho * rho + h * h;
  const double s = along / 2 / delta;
  const double t = (0.5 / delta) * std::sqrt(4 * delta * delta * h * h - along * along);
  double v21PomC[4] = {std::cos(phi), -std::sin(phi), std::sin(phi), std::cos(phi)};
  double v21PomC1[4] = {s, s, t, -t};
  const cv::Mat inPlane =
      product(cv::Mat(2, 2, CV_64FC1, v21PomC), cv::Mat(2, 2, CV_64FC1, v21PomC1));
  cv::Mat poscPom = newMat(3, 2);
  poscPom.row(0).setTo(frame.x0);
  ubaciMatricu(poscPom, inPlane, 2, 3, 1, 2);
  return toLandmarkFrame(frame, poscPom);
}

}  // namespace Orvanta
