// The vehicle's camera and the landmark frame, for rendering a simulated run.
//
// The model's earth frame points north, east and down, with the surface at z = 0. The landmark
// balls lie on the bottom, `bottomDepth` metres down, and their frame shares the earth frame's
// north, points west and up: landmark (x, y, z) = earth (x, -y, bottomDepth - z). The camera is
// fixed at the vehicle's centre looking straight down through its belly: the optical axis is
// the body's z (down), the picture's right the body's y (starboard) and the picture's top the
// bow, so a level vehicle heading north sees the landmark frame's +x at the top.
#pragma once

#include <opencv2/core.hpp>

#include "simulation.hpp"

namespace Orvanta {

struct CameraPoseOnBottom {
  cv::Vec3d position;    // landmark frame, metres
  cv::Vec4d quaternion;  // w, x, y, z: camera frame (x right, y down, z forward) to landmarks
};

CameraPoseOnBottom cameraPose(const State& x, double bottomDepth);

}  // namespace Orvanta
