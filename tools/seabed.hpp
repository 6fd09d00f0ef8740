// What surrounds the balls on a real dive, in the landmark frame: a sand floor under them, the
// frame's rods between them, sunlight from above that casts their shadows, and the water that
// fades every colour towards its own with distance.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

#include "landmark_layout.hpp"

namespace Orvanta::scene {

struct Seabed {
  std::array<cv::Vec3d, site::kBallCount> balls;  // centres
  double radius;                                  // of the balls
  bool floor = false;                             // the sand floor and the rods
  std::optional<cv::Vec3d> sun{};                 // unit, towards the sun; none: no sunlight
};

// Landmark-frame direction towards the sun: from above, a little aside, so that each ball's
// shadow reaches out beside it.
cv::Vec3d sunDirection();

// Where a ray (landmark frame, unit direction) meets the floor or a rod first, beyond no ball:
// the distance along the ray and the surface's normal and colour (BGR, fully lit).
struct SurfaceHit {
  double t;
  cv::Vec3d normal;
  cv::Vec3f colour;
};
std::optional<SurfaceHit> hitFloorOrRod(const Seabed& seabed, const cv::Vec3d& origin,
                                        const cv::Vec3d& direction);

// Whether a ball or a rod stands between the point and the sun.
bool inShadow(const Seabed& seabed, const cv::Vec3d& point);

// A colour seen through `distance` metres of water of that turbidity (per metre): absorbed, red
// first, and veiled by the water's own colour.
cv::Vec3f throughWater(const cv::Vec3f& colour, const cv::Vec3f& water, double distance,
                       double turbidity);

}  // namespace Orvanta::scene
