// The vehicle model's matrices, formed from the parameter data.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

struct ModelMatrices {
  cv::Mat x0;   // 12x1 initial state (nu1, nu2, eta1, eta2)
  double m{};   // mass (kg)
  cv::Mat rG;   // 3x1 centre of gravity
  cv::Mat rB;   // 3x1 centre of buoyancy
  cv::Mat I0;   // 3x3 inertia matrix
  cv::Mat MRB;  // 6x6 rigid-body mass matrix
  cv::Mat MA;   // 6x6 added-mass matrix
  cv::Mat D;    // 6x6 linear damping
  cv::Mat Dn;   // 6x6 quadratic damping, scaled by the absolute velocities
};

// Reads nu10, nu20, eta10, eta20 (attitude in radians), bodyParams, hydroParams and
// quadDampParams; setUpModelData must have run.
ModelMatrices formModelMatrices();

}  // namespace Orvanta
