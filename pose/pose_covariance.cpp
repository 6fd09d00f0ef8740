#include "pose_covariance.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/calib3d.hpp>

namespace Orvanta::pose {

namespace {

cv::Matx33d turn(const cv::Vec3d& v) {
  cv::Matx33d r;
  cv::Rodrigues(v, r);
  return r;
}

// Where each landmark appears, normalised, with the pose moved by `delta` (centre, then a turn
// about the landmark axes).
std::vector<double> projections(const cv::Vec3d& centre, const cv::Matx33d& cameraToLandmark,
                                const std::vector<cv::Point3d>& landmarks, const cv::Vec6d& delta) {
  const cv::Matx33d landmarkToCamera =
      (turn({delta[3], delta[4], delta[5]}) * cameraToLandmark).t();
  const cv::Vec3d moved = centre + cv::Vec3d(delta[0], delta[1], delta[2]);
  std::vector<double> out;
  for (const cv::Point3d& l : landmarks) {
    const cv::Vec3d p = landmarkToCamera * (cv::Vec3d(l) - moved);
    out.push_back(p[0] / p[2]);
    out.push_back(p[1] / p[2]);
  }
  return out;
}

// The weighed residuals' sum of squares per degree of freedom, when there are any.
double chiSquarePerFreedom(const std::vector<double>& projected, const CentreViews& views,
                           double focalPx) {
  const int freedom = int(projected.size()) - 6;
  if (freedom <= 0) return 1;
  double sum = 0;
  for (std::size_t i = 0; i < projected.size(); ++i) {
    const cv::Point2d& seen = views.image[i / 2];
    const double r = (projected[i] - (i % 2 ? seen.y : seen.x)) * focalPx / views.sigmaPx[i / 2];
    sum += r * r;
  }
  return sum / freedom;
}

}  // namespace

PoseCovariance poseCovariance(const cv::Vec3d& centre, const cv::Matx33d& cameraToLandmark,
                              const CentreViews& views, double focalPx) {
  const std::vector<cv::Point3d>& landmarks = views.landmarks;
  // Information matrix of the weighed residuals, by central differences.
  constexpr double h = 1e-6;
  std::array<std::vector<double>, 6> columns;
  for (int k = 0; k < 6; ++k) {
    cv::Vec6d step = cv::Vec6d::all(0);
    step[k] = h;
    const std::vector<double> plus = projections(centre, cameraToLandmark, landmarks, step);
    const std::vector<double> minus = projections(centre, cameraToLandmark, landmarks, -step);
    columns[k].resize(plus.size());
    for (std::size_t i = 0; i < plus.size(); ++i)
      columns[k][i] = (plus[i] - minus[i]) / (2 * h) * focalPx / views.sigmaPx[i / 2];
  }
  cv::Matx<double, 6, 6> information;
  for (int a = 0; a < 6; ++a)
    for (int b = 0; b < 6; ++b) {
      double sum = 0;
      for (std::size_t i = 0; i < columns[a].size(); ++i) sum += columns[a][i] * columns[b][i];
      information(a, b) = sum;
    }
  PoseCovariance covariance;
  if (cv::invert(information, covariance, cv::DECOMP_CHOLESKY) == 0)
    return PoseCovariance::all(NAN);
  const double fit = chiSquarePerFreedom(
      projections(centre, cameraToLandmark, landmarks, cv::Vec6d::all(0)), views, focalPx);
  return covariance * std::max(1.0, fit);
}

}  // namespace Orvanta::pose
