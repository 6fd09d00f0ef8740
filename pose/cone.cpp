#include "cone.hpp"

#include <algorithm>
#include <cmath>

#include "median.hpp"

namespace Orvanta::pose {

namespace {

constexpr int kRejections = 2;
constexpr double kRobustSigma = 1.4826;  // median absolute deviation to standard deviation

// Every ray d on the cone satisfies d . w = 1 for w = axis / cos(a): linear least squares. For
// rays close to the cone the residual d . w - 1 is sin(a) |w| times the angle, one scale for all
// rays, so this is the angular fit to first order.
std::optional<Cone> fitOnce(const std::vector<cv::Vec3d>& rays, const std::vector<bool>& keep) {
  cv::Matx33d normal = cv::Matx33d::zeros();
  cv::Vec3d rhs(0, 0, 0);
  int kept = 0;
  for (std::size_t i = 0; i < rays.size(); ++i) {
    if (!keep[i]) continue;
    normal += rays[i] * rays[i].t();
    rhs += rays[i];
    ++kept;
  }
  cv::Vec3d w;
  if (kept < 3 || !cv::solve(normal, rhs, w, cv::DECOMP_CHOLESKY)) return std::nullopt;
  const double length = cv::norm(w);
  if (!(length > 1)) return std::nullopt;
  return Cone{w / length, std::acos(1 / length), 0, kept};
}

std::vector<double> deviations(const std::vector<cv::Vec3d>& rays, const Cone& cone) {
  std::vector<double> angles(rays.size());
  for (std::size_t i = 0; i < rays.size(); ++i)
    angles[i] = std::acos(std::clamp(rays[i].dot(cone.axis), -1.0, 1.0)) - cone.halfAngle;
  return angles;
}

}  // namespace

std::optional<Cone> fitCone(const std::vector<cv::Vec3d>& rays, double floorAngle, int least) {
  if (int(rays.size()) < least) return std::nullopt;
  std::vector<bool> keep(rays.size(), true);
  std::optional<Cone> cone = fitOnce(rays, keep);
  for (int round = 0; cone && round < kRejections; ++round) {
    const std::vector<double> angles = deviations(rays, *cone);
    std::vector<double> absolute;
    for (std::size_t i = 0; i < rays.size(); ++i)
      if (keep[i]) absolute.push_back(std::abs(angles[i]));
    const double limit = std::max(floorAngle, 3 * kRobustSigma * medianOf(absolute));
    for (std::size_t i = 0; i < rays.size(); ++i) keep[i] = std::abs(angles[i]) <= limit;
    cone = fitOnce(rays, keep);
  }
  if (!cone || cone->kept < least) return std::nullopt;
  const std::vector<double> angles = deviations(rays, *cone);
  double sumSq = 0;
  for (std::size_t i = 0; i < rays.size(); ++i)
    if (keep[i]) sumSq += angles[i] * angles[i];
  cone->rms = std::sqrt(sumSq / cone->kept);
  return cone;
}

}  // namespace Orvanta::pose
