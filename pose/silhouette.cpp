#include "silhouette.hpp"

#include <algorithm>
#include <cmath>

#include "colour_metric.hpp"

namespace Orvanta::pose {

namespace {

constexpr int kOutlinePoints = 48;

// The pixels within `reach` radians outside the cone, as a box of the raw picture.
cv::Rect boxAround(const Cone& cone, double reach, const PinholeCamera& camera) {
  const cv::Vec3d a = cone.axis;
  const cv::Vec3d e1 =
      cv::normalize(a.cross(std::abs(a[0]) < 0.9 ? cv::Vec3d(1, 0, 0) : cv::Vec3d(0, 1, 0)));
  const cv::Vec3d e2 = a.cross(e1);
  const double angle = cone.halfAngle + reach;
  double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  for (int k = 0; k < kOutlinePoints; ++k) {
    const double phi = 2 * CV_PI * k / kOutlinePoints;
    const cv::Vec3d d =
        std::cos(angle) * a + std::sin(angle) * (std::cos(phi) * e1 + std::sin(phi) * e2);
    if (d[2] <= 0) return {};
    const cv::Point2d p = distortToPixel(camera, {d[0] / d[2], d[1] / d[2]});
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  // A cone grazing 90 degrees reaches towards infinity; whole numbers hold only so much.
  const auto whole = [](double v) { return int(std::clamp(v, -1e6, 1e6)); };
  return cv::Rect(cv::Point(whole(std::floor(left)) - 1, whole(std::floor(top)) - 1),
                  cv::Point(whole(std::ceil(right)) + 2, whole(std::ceil(bottom)) + 2));
}

// The pixels around the ball by where they lie relative to the cone.
struct BandPixel {
  cv::Point pixel;
  cv::Vec3d colour;  // weighted luma and chroma
  cv::Vec2f point;   // undistorted, normalised
  float area;        // of the pixel in the normalised plane
};
struct Zones {
  std::vector<BandPixel> band, ring;  // partly covered; water
  cv::Vec3d ballSum{0, 0, 0};         // colours of the wholly covered pixels next to the band
  double insideArea = 0;
  cv::Point2d insideMoment{0, 0};
};

Zones sortPixels(const cv::Mat& bgr, const cv::Rect& box, const Cone& cone, double band,
                 double ring, const UndistortionTable& table) {
  const double insideCos = std::cos(std::max(0.0, cone.halfAngle - band));
  // The ball's colour where it meets the band: its shading there, and no highlight, which lies
  // farther in.
  const double innerCos = std::cos(std::max(0.0, cone.halfAngle - band - ring));
  const double bandCos = std::cos(cone.halfAngle + band);
  const double ringCos = std::cos(cone.halfAngle + band + ring);
  Zones zones;
  table.prepare(box);
  for (int y = box.y; y < box.br().y; ++y) {
    const std::uint8_t* row = bgr.ptr<std::uint8_t>(y);
    for (int x = box.x; x < box.br().x; ++x) {
      const cv::Vec2f& u = table.at(x, y);
      const double c = cone.axis.dot(cv::Vec3d(u[0], u[1], 1)) /
                       std::sqrt(double(u[0]) * u[0] + double(u[1]) * u[1] + 1);
      if (c < ringCos) continue;
      const cv::Vec3d colour(weightedYcc(row + 3 * x));
      if (c > insideCos) {
        if (c <= innerCos) zones.ballSum += colour;
        zones.insideArea += table.area(x, y);
        zones.insideMoment += table.area(x, y) * cv::Point2d(u[0], u[1]);
      } else {
        (c >= bandCos ? zones.band : zones.ring).push_back({{x, y}, colour, u, table.area(x, y)});
      }
    }
  }
  return zones;
}

// The water's brightness around the ball, as a plane in pixel coordinates.
struct WaterPlane {
  cv::Vec3d coefficients;  // at the centre, per pixel right, per pixel down
  cv::Point2d centre;
  double at(cv::Point p) const {
    return coefficients[0] + coefficients[1] * (p.x - centre.x) +
           coefficients[2] * (p.y - centre.y);
  }
};

std::optional<WaterPlane> fitWater(const std::vector<BandPixel>& ring, const cv::Vec3d& share,
                                   cv::Point2d centre) {
  WaterPlane plane{{0, 0, 0}, centre};
  cv::Matx33d normal = cv::Matx33d::zeros();
  cv::Vec3d rhs(0, 0, 0);
  for (const BandPixel& p : ring) {
    const cv::Vec3d basis(1, p.pixel.x - centre.x, p.pixel.y - centre.y);
    normal += basis * basis.t();
    rhs += basis * share.dot(p.colour);
  }
  if (!cv::solve(normal, rhs, plane.coefficients, cv::DECOMP_CHOLESKY)) return std::nullopt;
  return plane;
}

// The cone whose section with the image plane z = 1 is an ellipse with this centre and area.
// With the axis at angle t from the optical axis and half-angle a, D = cos^2 t - sin^2 a: the
// centre lies sin t cos t / D off the optical axis and the area is pi sin^2 a cos a / D^1.5.
std::optional<Cone> coneOfEllipse(cv::Point2d centre, double area, const Cone& guess) {
  const double offset = std::hypot(centre.x, centre.y);
  const auto residual = [&](double t, double a) {
    const double d = std::cos(t) * std::cos(t) - std::sin(a) * std::sin(a);
    return cv::Vec2d(std::sin(t) * std::cos(t) / d - offset,
                     CV_PI * std::sin(a) * std::sin(a) * std::cos(a) / std::pow(d, 1.5) - area);
  };
  double t = std::acos(std::clamp(guess.axis[2], -1.0, 1.0)), a = guess.halfAngle;
  constexpr double h = 1e-7;
  for (int iteration = 0; iteration < 20; ++iteration) {
    const cv::Vec2d r = residual(t, a);
    const cv::Vec2d dt = (residual(t + h, a) - r) / h, da = (residual(t, a + h) - r) / h;
    const cv::Matx22d jacobian(dt[0], da[0], dt[1], da[1]);
    const cv::Vec2d step = jacobian.inv() * r;
    t -= step[0], a -= step[1];
    if (!std::isfinite(t) || !std::isfinite(a) || a <= 0) return std::nullopt;
    if (std::abs(step[0]) + std::abs(step[1]) < 1e-13) break;
  }
  const double phi = std::atan2(centre.y, centre.x);
  Cone cone = guess;
  cone.axis = {std::sin(t) * std::cos(phi), std::sin(t) * std::sin(phi), std::cos(t)};
  cone.halfAngle = a;
  return cone;
}

}  // namespace

std::optional<Cone> coneFromSilhouette(const cv::Mat& bgr, const Cone& guess,
                                       const PinholeCamera& camera, const UndistortionTable& table,
                                       const PoseParameters::Silhouette& p) {
  const double perPixel = 1 / camera.focal();
  const double band = p.bandPx * perPixel, ring = p.ringPx * perPixel;
  // The band must lie wholly inside the picture; of the water's ring, what does is enough.
  const cv::Rect picture({0, 0}, bgr.size());
  const cv::Rect bandBox = boxAround(guess, band, camera);
  if (bandBox.empty() || (bandBox & picture) != bandBox) return std::nullopt;
  const cv::Rect box = boxAround(guess, band + ring, camera) & picture;
  const Zones zones = sortPixels(bgr, box, guess, band, ring, table);
  if (zones.ring.empty() || !(zones.insideArea > 0)) return std::nullopt;

  cv::Vec3d waterSum(0, 0, 0);
  for (const BandPixel& p : zones.ring) waterSum += p.colour;
  const cv::Vec3d ball = cv::normalize(zones.ballSum), water = cv::normalize(waterSum);
  const double alike = ball.dot(water);
  if (!(alike < std::cos(p.mostAlikeDeg * CV_PI / 180))) return std::nullopt;
  // Least squares of colour = b ball + w water: w = share . colour.
  const cv::Vec3d share = (water - alike * ball) * (1 / (1 - alike * alike));
  const std::optional<WaterPlane> plane =
      fitWater(zones.ring, share, (cv::Point2d(box.tl()) + cv::Point2d(box.br())) * 0.5);
  if (!plane) return std::nullopt;

  // Area and centroid of the coverage in the undistorted image plane.
  double area = zones.insideArea;
  cv::Point2d moment = zones.insideMoment;
  for (const BandPixel& p : zones.band) {
    const double weight = (1 - share.dot(p.colour) / plane->at(p.pixel)) * p.area;
    area += weight;
    moment += weight * cv::Point2d(p.point[0], p.point[1]);
  }
  if (!(area > 0)) return std::nullopt;
  return coneOfEllipse(moment * (1 / area), area, guess);
}

}  // namespace Orvanta::pose
