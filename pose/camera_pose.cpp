#include "camera_pose.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/calib3d.hpp>
#include <optional>
#include <vector>

#include "rotation.hpp"

namespace Orvanta::pose {

namespace {

// The balls in use: landmark positions, normalised image points of their centres, ranges.
struct Correspondences {
  std::vector<cv::Point3d> landmarks;
  std::vector<cv::Point2d> image;
  std::vector<double> ranges;
  std::vector<double> scatterPx;
  std::vector<double> sigmaPx;  // standard errors of the centres
};

struct Candidate {
  cv::Matx33d rotation;  // landmark frame to camera frame
  cv::Vec3d translation;
  double rmsPx = INFINITY, rangeDisagreement = INFINITY;
  bool inFront = false;

  // Reprojection and ranges weighed by the errors of a good pose.
  double score(const PoseParameters::Gates& g) const {
    const double a = rmsPx / g.typicalCentreRmsPx, b = rangeDisagreement / g.typicalRangeError;
    return a * a + b * b;
  }
};

Candidate evaluate(const cv::Mat& rvec, const cv::Mat& tvec, const Correspondences& c,
                   double focalPx) {
  Candidate candidate;
  cv::Mat rotation;
  cv::Rodrigues(rvec, rotation);
  candidate.rotation = cv::Matx33d(rotation);
  candidate.translation = cv::Vec3d(tvec.reshape(1, 3));
  double reprojectionSq = 0, rangeSq = 0;
  candidate.inFront = true;
  for (std::size_t i = 0; i < c.landmarks.size(); ++i) {
    const cv::Vec3d p = candidate.rotation * cv::Vec3d(c.landmarks[i]) + candidate.translation;
    candidate.inFront = candidate.inFront && p[2] > 0;
    const double dx = p[0] / p[2] - c.image[i].x, dy = p[1] / p[2] - c.image[i].y;
    reprojectionSq += dx * dx + dy * dy;
    const double relative = cv::norm(p) / c.ranges[i] - 1;
    rangeSq += relative * relative;
  }
  const double n = double(c.landmarks.size());
  candidate.rmsPx = std::sqrt(reprojectionSq / n) * focalPx;
  candidate.rangeDisagreement = std::sqrt(rangeSq / n);
  return candidate;
}

// The rotation of a rotation vector (its direction the axis, its length the angle).
cv::Matx33d rotationOf(const cv::Vec3d& v) {
  const double angle = cv::norm(v);
  if (angle < 1e-12) return cv::Matx33d::eye();
  const cv::Vec3d k = v / angle;
  const cv::Matx33d cross(0, -k[2], k[1], k[2], 0, -k[0], -k[1], k[0], 0);
  return cv::Matx33d::eye() * std::cos(angle) + (1 - std::cos(angle)) * (k * k.t()) +
         std::sin(angle) * cross;
}

// The reprojection residuals in normalised units of pose (rotation vector, translation).
std::vector<double> reprojection(const Correspondences& c, const cv::Vec6d& pose) {
  const cv::Matx33d r = rotationOf({pose[0], pose[1], pose[2]});
  std::vector<double> out;
  out.reserve(2 * c.landmarks.size());
  for (std::size_t i = 0; i < c.landmarks.size(); ++i) {
    const cv::Vec3d q = r * cv::Vec3d(c.landmarks[i]) + cv::Vec3d(pose[3], pose[4], pose[5]);
    out.push_back(q[0] / q[2] - c.image[i].x);
    out.push_back(q[1] / q[2] - c.image[i].y);
  }
  return out;
}

double sumOfSquares(const std::vector<double>& r) {
  double sum = 0;
  for (double v : r) sum += v * v;
  return sum;
}

// Levenberg-Marquardt on the reprojection error, with a forward-difference Jacobian: six
// parameters and eight residuals, converged in a few steps from the planar solution.
void refine(const Correspondences& c, cv::Mat& rvec, cv::Mat& tvec) {
  cv::Vec6d x(rvec.at<double>(0), rvec.at<double>(1), rvec.at<double>(2), tvec.at<double>(0),
              tvec.at<double>(1), tvec.at<double>(2));
  std::vector<double> r = reprojection(c, x);
  double cost = sumOfSquares(r), damping = 1e-3;
  for (int iteration = 0; iteration < 20 && cost > 0; ++iteration) {
    cv::Matx<double, 6, 6> normal = cv::Matx<double, 6, 6>::zeros();
    cv::Vec6d gradient(0, 0, 0, 0, 0, 0);
    std::array<std::vector<double>, 6> columns;
    for (int k = 0; k < 6; ++k) {
      cv::Vec6d xk = x;
      const double h = 1e-7 * std::max(1.0, std::abs(x[k]));
      xk[k] += h;
      columns[k] = reprojection(c, xk);
      for (std::size_t i = 0; i < r.size(); ++i) columns[k][i] = (columns[k][i] - r[i]) / h;
    }
    for (int a = 0; a < 6; ++a) {
      for (int b = 0; b < 6; ++b)
        for (std::size_t i = 0; i < r.size(); ++i) normal(a, b) += columns[a][i] * columns[b][i];
      for (std::size_t i = 0; i < r.size(); ++i) gradient[a] += columns[a][i] * r[i];
    }
    cv::Matx<double, 6, 6> damped = normal;
    for (int k = 0; k < 6; ++k) damped(k, k) *= 1 + damping;
    cv::Vec6d step;
    if (!cv::solve(damped, gradient, step, cv::DECOMP_CHOLESKY)) break;
    const cv::Vec6d next = x - step;
    const std::vector<double> rNext = reprojection(c, next);
    const double nextCost = sumOfSquares(rNext);
    if (nextCost < cost) {
      const bool settled = cost - nextCost < 1e-12 * cost;
      x = next, r = rNext, cost = nextCost, damping /= 10;
      if (settled) break;
    } else {
      damping *= 10;
      if (damping > 1e8) break;
    }
  }
  rvec = (cv::Mat_<double>(3, 1) << x[0], x[1], x[2]);
  tvec = (cv::Mat_<double>(3, 1) << x[3], x[4], x[5]);
}

cv::Vec3d cameraCentre(const Candidate& c) {
  return -(c.rotation.t() * c.translation);
}

// Two poses that differ: by more than 5 mm or about half a degree.
bool distinct(const Candidate& a, const Candidate& b) {
  constexpr double kApartM = 0.005, kTurnedRad = 0.01;
  cv::Vec3d turn;
  cv::Rodrigues(a.rotation * b.rotation.t(), turn);
  return cv::norm(cameraCentre(a) - cameraCentre(b)) > kApartM || cv::norm(turn) > kTurnedRad;
}

// Four balls: how much worse the planar solver's second solution fits than its first, before
// either is refined (refinement often takes both to one); solutions that coincide are no rival.
double planarRivalRatio(const Correspondences& c, const std::vector<cv::Mat>& rvecs,
                        const std::vector<cv::Mat>& tvecs, double focalPx) {
  if (rvecs.size() < 2) return INFINITY;
  const Candidate a = evaluate(rvecs[0], tvecs[0], c, focalPx);
  const Candidate b = evaluate(rvecs[1], tvecs[1], c, focalPx);
  const double best = std::min(a.rmsPx, b.rmsPx), other = std::max(a.rmsPx, b.rmsPx);
  return best > 0 && distinct(a, b) ? std::pow(other / best, 2) : INFINITY;
}

std::vector<Candidate> candidates(const Correspondences& c, double focalPx,
                                  const PoseParameters::Gates& gates,
                                  double* rivalRatio = nullptr) {
  const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
  std::vector<cv::Mat> rvecs, tvecs;
  if (c.landmarks.size() == 4) {
    cv::solvePnPGeneric(c.landmarks, c.image, identity, cv::noArray(), rvecs, tvecs, false,
                        cv::SOLVEPNP_IPPE);
    if (rivalRatio) *rivalRatio = planarRivalRatio(c, rvecs, tvecs, focalPx);
    for (std::size_t i = 0; i < rvecs.size(); ++i) refine(c, rvecs[i], tvecs[i]);
  } else {
    cv::solveP3P(c.landmarks, c.image, identity, cv::noArray(), rvecs, tvecs, cv::SOLVEPNP_P3P);
  }
  std::vector<Candidate> all;
  for (std::size_t i = 0; i < rvecs.size(); ++i) {
    const Candidate candidate = evaluate(rvecs[i], tvecs[i], c, focalPx);
    if (candidate.inFront && std::isfinite(candidate.score(gates))) all.push_back(candidate);
  }
  return all;
}

// Three balls fit every candidate exactly, and only their sizes choose: the distance to the
// nearest other candidate that the sizes rule out no better than the gate, or than a few times
// the best's own disagreement (the sizes of balls are measured to a few percent), or nothing.
std::optional<double> rivalDistance(const std::vector<Candidate>& all, const Candidate& best,
                                    const PoseParameters::Gates& gates) {
  const double plausible =
      std::max(gates.largestRangeDisagreement, gates.rivalRangeFactor * best.rangeDisagreement);
  std::optional<double> nearest;
  for (const Candidate& other : all) {
    const double apart = cv::norm(cameraCentre(other) - cameraCentre(best));
    if (&other == &best || apart <= gates.ambiguousApartM ||
        other.rmsPx > gates.largestCentreRmsPx || other.rangeDisagreement > plausible)
      continue;
    if (!nearest || apart < *nearest) nearest = apart;
  }
  return nearest;
}

// How far the three-ball pose moves when each centre moves by its likely error, one coordinate
// at a time (the root of the summed squares). A centre is taken as no surer than its outline's
// scatter, nor than leastThreeBallCentreErrorPx: shading, gloss and shadows move a real ball's
// centre by about that much, and three balls have nothing to catch it. Near the cylinder through
// the three balls' circle a tenth of a pixel moves the pose by decimetres.
double threeBallSpread(const Correspondences& c, const Candidate& best, double focalPx,
                       const PoseParameters::Gates& gates) {
  double sumSq = 0;
  for (std::size_t i = 0; i < 2 * c.image.size(); ++i) {
    Correspondences moved = c;
    const double h = std::max(gates.leastThreeBallCentreErrorPx, c.scatterPx[i / 2]) / focalPx;
    (i % 2 ? moved.image[i / 2].y : moved.image[i / 2].x) += h;
    double nearest = INFINITY;
    for (const Candidate& candidate : candidates(moved, focalPx, gates))
      nearest = std::min(nearest, cv::norm(cameraCentre(candidate) - cameraCentre(best)));
    sumSq += nearest * nearest;
  }
  return std::sqrt(sumSq);
}

void describePose(const Candidate& best, CameraPose& pose) {
  const cv::Matx33d cameraToLandmark = best.rotation.t();
  pose.position = cameraCentre(best);
  pose.quaternion = quaternionOf(cameraToLandmark);
  pose.headingDegrees = headingDegrees(cameraToLandmark);
  pose.rmsPx = best.rmsPx;
  pose.rangeDisagreement = best.rangeDisagreement;
}

}  // namespace

CameraPose solveCameraPose(const std::array<std::optional<BallView>, site::kBallCount>& balls,
                           const std::array<cv::Point3d, site::kBallCount>& landmarks,
                           double focalPx, const PoseParameters::Gates& gates) {
  CameraPose pose;
  Correspondences c;
  for (int i = 0; i < site::kBallCount; ++i) {
    pose.status.missing[i] = !balls[i];
    if (!balls[i]) continue;
    const cv::Vec3d& d = balls[i]->direction;
    c.landmarks.push_back(landmarks[i]);
    c.image.emplace_back(d[0] / d[2], d[1] / d[2]);
    c.ranges.push_back(balls[i]->range);
    c.scatterPx.push_back(balls[i]->scatterPx);
    c.sigmaPx.push_back(balls[i]->centreSigmaPx > 0 ? balls[i]->centreSigmaPx
                                                    : gates.typicalCentreRmsPx);
  }
  pose.balls = int(c.landmarks.size());
  if (pose.balls < 3) {
    pose.status.refusal = Refusal::tooFewBalls;
    return pose;
  }
  const std::vector<Candidate> all = candidates(c, focalPx, gates, &pose.rivalCostRatio);
  if (all.empty()) {
    pose.status.refusal = Refusal::noSolution;
    return pose;
  }
  const Candidate* best = &all.front();
  for (const Candidate& candidate : all)
    if (candidate.score(gates) < best->score(gates)) best = &candidate;
  describePose(*best, pose);
  pose.covariance =
      poseCovariance(pose.position, best->rotation.t(), {c.landmarks, c.image, c.sigmaPx}, focalPx);
  if (best->rmsPx > gates.largestCentreRmsPx) {
    pose.status = {Refusal::reprojection, pose.status.missing, best->rmsPx,
                   gates.largestCentreRmsPx};
  } else if (best->rangeDisagreement > gates.largestRangeDisagreement) {
    pose.status = {Refusal::ranges, pose.status.missing, best->rangeDisagreement,
                   gates.largestRangeDisagreement};
  } else if (const auto apart = pose.balls == 3 ? rivalDistance(all, *best, gates) : std::nullopt) {
    pose.status = {Refusal::ambiguous, pose.status.missing, *apart, gates.ambiguousApartM};
  } else if (const double spread = pose.balls == 3 ? threeBallSpread(c, *best, focalPx, gates) : 0;
             spread > gates.largestThreeBallSpreadM) {
    pose.status = {Refusal::unstable, pose.status.missing, spread, gates.largestThreeBallSpreadM};
  } else {
    pose.valid = true;
  }
  return pose;
}

}  // namespace Orvanta::pose
