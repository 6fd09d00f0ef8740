#include "pinhole.hpp"

#include <cmath>

namespace Orvanta::pose {

namespace {

// The lens model on normalised coordinates, with its Jacobian.
struct Distorted {
  cv::Point2d point;
  cv::Matx22d jacobian;
};

Distorted distort(const site::Distortion& d, cv::Point2d p) {
  const double k1 = d[0], k2 = d[1], p1 = d[2], p2 = d[3], k3 = d[4], k4 = d[5], k5 = d[6],
               k6 = d[7], s1 = d[8], s2 = d[9], s3 = d[10], s4 = d[11];
  const double x = p.x, y = p.y, r2 = x * x + y * y;
  const double upper = 1 + r2 * (k1 + r2 * (k2 + r2 * k3));
  const double lower = 1 + r2 * (k4 + r2 * (k5 + r2 * k6));
  const double radial = upper / lower;
  // d radial / d r2, and the thin-prism terms' d / d r2
  const double g =
      ((k1 + r2 * (2 * k2 + 3 * r2 * k3)) * lower - upper * (k4 + r2 * (2 * k5 + 3 * r2 * k6))) /
      (lower * lower);
  const double prismX = s1 + 2 * s2 * r2, prismY = s3 + 2 * s4 * r2;
  Distorted out;
  out.point = {x * radial + 2 * p1 * x * y + p2 * (r2 + 2 * x * x) + r2 * (s1 + s2 * r2),
               y * radial + p1 * (r2 + 2 * y * y) + 2 * p2 * x * y + r2 * (s3 + s4 * r2)};
  const double cross = 2 * x * y * g + 2 * p1 * x + 2 * p2 * y;
  out.jacobian = {radial + 2 * x * x * g + 2 * p1 * y + 6 * p2 * x + 2 * x * prismX,
                  cross + 2 * y * prismX, cross + 2 * x * prismY,
                  radial + 2 * y * y * g + 6 * p1 * y + 2 * p2 * x + 2 * y * prismY};
  return out;
}

}  // namespace

double PinholeCamera::focal() const {
  return std::sqrt(matrix(0, 0) * matrix(1, 1));
}

namespace {

// The distorted normalised point of a pixel.
cv::Point2d distortedOf(const PinholeCamera& camera, cv::Point2d pixel) {
  const cv::Matx33d& k = camera.matrix;
  const double yd = (pixel.y - k(1, 2)) / k(1, 1);
  return {(pixel.x - k(0, 2) - k(0, 1) * yd) / k(0, 0), yd};
}

// Newton's method from `start` to the normalised point the lens takes to `target`, until the
// step is below 1e-12; with the lens's Jacobian at the last step, which the step's size leaves
// unchanged to far below a float's precision.
Distorted invert(const site::Distortion& lens, cv::Point2d target, cv::Point2d start) {
  Distorted found{start, cv::Matx22d::eye()};
  for (int iteration = 0; iteration < 30; ++iteration) {
    const Distorted d = distort(lens, found.point);
    const cv::Vec2d residual(d.point.x - target.x, d.point.y - target.y);
    const cv::Vec2d step = d.jacobian.inv() * residual;
    found.point -= cv::Point2d(step[0], step[1]);
    found.jacobian = d.jacobian;
    if (std::abs(step[0]) + std::abs(step[1]) < 1e-12) break;
  }
  return found;
}

double areaOf(const cv::Matx33d& k, const cv::Matx22d& jacobian) {
  return 1 / (k(0, 0) * k(1, 1) * std::abs(cv::determinant(jacobian)));
}

}  // namespace

cv::Point2d undistortPixel(const PinholeCamera& camera, cv::Point2d pixel) {
  const cv::Point2d target = distortedOf(camera, pixel);
  return invert(camera.distortion, target, target).point;
}

cv::Point2d distortToPixel(const PinholeCamera& camera, cv::Point2d normalised) {
  const cv::Point2d d = distort(camera.distortion, normalised).point;
  const cv::Matx33d& k = camera.matrix;
  return {k(0, 0) * d.x + k(0, 1) * d.y + k(0, 2), k(1, 1) * d.y + k(1, 2)};
}

double pixelArea(const PinholeCamera& camera, cv::Point2d normalised) {
  return areaOf(camera.matrix, distort(camera.distortion, normalised).jacobian);
}

UndistortionTable::UndistortionTable(const PinholeCamera& camera, cv::Size size)
    : camera_(camera),
      tilesAcross_((size.width + kTile - 1) / kTile),
      points_(size, CV_32FC2),
      areas_(size, CV_32F),
      filled_(std::size_t(tilesAcross_) * std::size_t((size.height + kTile - 1) / kTile), false) {}

void UndistortionTable::prepare(const cv::Rect& box) const {
  if (box.empty()) return;
  for (int tileY = box.y / kTile; tileY <= (box.br().y - 1) / kTile; ++tileY)
    for (int tileX = box.x / kTile; tileX <= (box.br().x - 1) / kTile; ++tileX)
      if (!filled_[tileIndex(tileX, tileY)]) fill(tileX, tileY);
}

void UndistortionTable::fill(int tileX, int tileY) const {
  const cv::Rect tile =
      cv::Rect(tileX * kTile, tileY * kTile, kTile, kTile) & cv::Rect({}, points_.size());
  for (int y = tile.y; y < tile.br().y; ++y) {
    // Each pixel's inversion starts from its left neighbours' extended by their difference,
    // within a Newton step or two of its own.
    cv::Point2d start = distortedOf(camera_, cv::Point2d(tile.x, y)), step(0, 0);
    for (int x = tile.x; x < tile.br().x; ++x) {
      const Distorted p =
          invert(camera_.distortion, distortedOf(camera_, cv::Point2d(x, y)), start + step);
      points_.at<cv::Vec2f>(y, x) = cv::Vec2f(float(p.point.x), float(p.point.y));
      areas_.at<float>(y, x) = float(areaOf(camera_.matrix, p.jacobian));
      if (x > tile.x) step = p.point - start;
      start = p.point;
    }
  }
  filled_[tileIndex(tileX, tileY)] = true;
}

std::size_t UndistortionTable::tileIndex(int tileX, int tileY) const {
  return std::size_t(tileY) * std::size_t(tilesAcross_) + std::size_t(tileX);
}

}  // namespace Orvanta::pose
