#include "seabed.hpp"

#include <cmath>
#include <cstdint>

namespace Orvanta::scene {

namespace {

// The rods lie below the balls' centres, between neighbours around the rectangle.
constexpr double kRodDrop = 0.8, kRodRadius = 0.16;  // in ball radii
const cv::Vec3f kSand(118, 158, 176);                // BGR, fully lit
const cv::Vec3f kRod(70, 70, 72);

// A smooth random field of about 1 over cells of one unit: hashed lattice values, bilinearly
// blended.
double lattice(std::int64_t x, std::int64_t y) {
  std::uint64_t h =
      std::uint64_t(x) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(y) * 0xC2B2AE3D27D4EB4Full;
  h = (h ^ (h >> 31)) * 0xBF58476D1CE4E5B9ull;
  return double((h ^ (h >> 29)) & 0xFFFF) / 0xFFFF;
}

double valueNoise(double x, double y) {
  const double fx = std::floor(x), fy = std::floor(y);
  const double sx = x - fx, sy = y - fy;
  const auto ix = std::int64_t(fx), iy = std::int64_t(fy);
  const double top = lattice(ix, iy) * (1 - sx) + lattice(ix + 1, iy) * sx;
  const double bottom = lattice(ix, iy + 1) * (1 - sx) + lattice(ix + 1, iy + 1) * sx;
  return top * (1 - sy) + bottom * sy;
}

// Sand: ripples of a few centimetres and grains of a few millimetres.
cv::Vec3f sandAt(const cv::Vec3d& p) {
  const double shade = 0.78 + 0.28 * valueNoise(p[0] / 0.03, p[1] / 0.03) +
                       0.16 * valueNoise(p[0] / 0.004, p[1] / 0.004);
  return kSand * float(shade);
}

double floorHeight(const Seabed& seabed) {
  return seabed.balls[0][2] - seabed.radius;
}

// The nearest positive distance along the ray to a rod, or infinity.
struct RodHit {
  double t = INFINITY;
  cv::Vec3d normal;
};
RodHit hitRod(const cv::Vec3d& from, const cv::Vec3d& to, double rho, const cv::Vec3d& origin,
              const cv::Vec3d& direction) {
  const cv::Vec3d axis = to - from;
  const double length = cv::norm(axis);
  const cv::Vec3d a = axis / length, w = origin - from;
  const cv::Vec3d dp = direction - direction.dot(a) * a, wp = w - w.dot(a) * a;
  const double qa = dp.dot(dp), qb = 2 * wp.dot(dp), qc = wp.dot(wp) - rho * rho;
  const double disc = qb * qb - 4 * qa * qc;
  if (qa < 1e-12 || disc < 0) return {};
  const double t = (-qb - std::sqrt(disc)) / (2 * qa);
  const double along = (w + t * direction).dot(a);
  if (t <= 1e-9 || along < 0 || along > length) return {};
  return {t, ((w + t * direction) - along * a) / rho};
}

RodHit nearestRod(const Seabed& seabed, const cv::Vec3d& origin, const cv::Vec3d& direction) {
  RodHit best;
  const cv::Vec3d drop(0, 0, kRodDrop * seabed.radius);
  for (std::size_t i = 0; i < seabed.balls.size(); ++i) {
    const cv::Vec3d& a = seabed.balls[i];
    const cv::Vec3d& b = seabed.balls[(i + 1) % seabed.balls.size()];
    const RodHit hit = hitRod(a - drop, b - drop, kRodRadius * seabed.radius, origin, direction);
    if (hit.t < best.t) best = hit;
  }
  return best;
}

bool hitsBall(const Seabed& seabed, const cv::Vec3d& origin, const cv::Vec3d& direction) {
  for (const cv::Vec3d& centre : seabed.balls) {
    const cv::Vec3d w = centre - origin;
    const double along = w.dot(direction);
    if (along > 0 && w.dot(w) - along * along < seabed.radius * seabed.radius) return true;
  }
  return false;
}

}  // namespace

cv::Vec3d sunDirection() {
  return cv::normalize(cv::Vec3d(0.35, 0.25, 1));
}

std::optional<SurfaceHit> hitFloorOrRod(const Seabed& seabed, const cv::Vec3d& origin,
                                        const cv::Vec3d& direction) {
  if (!seabed.floor) return std::nullopt;
  const RodHit rod = nearestRod(seabed, origin, direction);
  const double floorT =
      direction[2] < 0 ? (floorHeight(seabed) - origin[2]) / direction[2] : INFINITY;
  if (rod.t < floorT) return SurfaceHit{rod.t, rod.normal, kRod};
  if (!std::isfinite(floorT) || floorT <= 0) return std::nullopt;
  return SurfaceHit{floorT, {0, 0, 1}, sandAt(origin + floorT * direction)};
}

bool inShadow(const Seabed& seabed, const cv::Vec3d& point) {
  if (!seabed.sun) return false;
  // Lifted off the surface a little, so that it does not shade itself.
  const cv::Vec3d from = point + 1e-6 * *seabed.sun;
  return hitsBall(seabed, from, *seabed.sun) ||
         (seabed.floor && std::isfinite(nearestRod(seabed, from, *seabed.sun).t));
}

cv::Vec3f throughWater(const cv::Vec3f& colour, const cv::Vec3f& water, double distance,
                       double turbidity) {
  if (turbidity <= 0) return colour;
  // Per channel (BGR): red is absorbed fastest, blue slowest.
  const cv::Vec3d rate = turbidity * cv::Vec3d(0.7, 1.0, 1.6);
  cv::Vec3f seen;
  for (int c = 0; c < 3; ++c) {
    const float kept = float(std::exp(-rate[c] * distance));
    seen[c] = colour[c] * kept + water[c] * (1 - kept);
  }
  return seen;
}

}  // namespace Orvanta::scene
