// A ball's viewing cone from the moments of its silhouette. Every pixel near the ball is taken as
// a mix of the ball's colour (at whatever brightness its shading gives it) and the water's
// colour; the share that is not water is the pixel's coverage. Coverage is a linear function of
// the pixel's colour, so averaging colour over two by two pixels, as MJPG does with the chroma,
// leaves the sums of coverage and of coverage times position as they were: the area and the
// centroid of the silhouette in the undistorted image plane, and from them the cone, keep their
// precision where a single outline point would lose up to half a pixel.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "cone.hpp"
#include "parameters.hpp"
#include "pinhole.hpp"

namespace Orvanta::pose {

// Refines `guess` (within a pixel or so of the truth). Nothing when the ball and its
// surroundings are not wholly inside the picture or ball and water are too alike.
std::optional<Cone> coneFromSilhouette(const cv::Mat& bgr, const Cone& guess,
                                       const PinholeCamera& camera, const UndistortionTable& table,
                                       const PoseParameters::Silhouette& p);

}  // namespace Orvanta::pose
