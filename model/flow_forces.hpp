// Forces and moments of the flow around the hull: lift, drag, side force and rate damping.
#pragma once

#include <array>
#include <opencv2/core.hpp>

namespace Orvanta {

struct FlowCoefficients {
  std::array<double, 6> k;   // slopes per degree: lift, drag, side force, roll, pitch, yaw
  std::array<double, 10> f;  // rate damping, density, area, lengths b and c, weight, buoyancy
};

// Reads the coefficient vectors (6 and 10 rows at least).
FlowCoefficients readFlowCoefficients(const cv::Mat& lift, const cv::Mat& flow);

// d1, 6x1: lift, drag and side force turned from the flow frame into the body frame, then the
// roll, pitch and yaw moments. nu is the 6x1 body velocity.
cv::Mat flowForces(const cv::Mat& nu, const FlowCoefficients& c);

// d2, 6x1: damping of the roll, pitch and yaw rates, growing with speed.
cv::Mat rateDamping(const cv::Mat& nu, const FlowCoefficients& c);

}  // namespace Orvanta
