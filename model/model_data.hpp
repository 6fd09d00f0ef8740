// Data of the vehicle model program: parameter arrays, the global matrices over them and the
// landmark table.
#pragma once

#include <array>
#include <opencv2/core.hpp>

namespace Orvanta {

// Landmark positions (metres): four balls at the corners of a 0.7 m x 0.51 m rectangle in z = 0.
inline constexpr double x1 = 0.0, y1 = 0.0, z1 = 0.0;
inline constexpr double x2 = 0.7, y2 = 0.0, z2 = 0.0;
inline constexpr double x3 = 0.7, y3 = -0.51, z3 = 0.0;
inline constexpr double x4 = 0.0, y4 = -0.51, z4 = 0.0;

// Values under the parameter matrices once setUpModelData has bound them. The arrays are
// constant-initialised, so they hold their values before any dynamic initialiser runs.
extern std::array<double, 12> landmarkCoords;  // row-major 3x4: x1..x4, y1..y4, z1..z4
extern std::array<double, 3> nu10Values;       // initial linear velocity (m/s)
extern std::array<double, 3> nu20Values;       // initial angular velocity (rad/s)
extern std::array<double, 3> eta10Values;      // initial position (m)
extern std::array<double, 3> eta20Values;      // initial attitude (degrees until set-up)
extern std::array<double, 13> bodyParamsValues;
extern std::array<double, 12> hydroParamsValues;
extern std::array<double, 6> quadDampParamsValues;
extern std::array<double, 6> liftParamsValues;
extern std::array<double, 10> flowParamsValues;

// Global matrices, all CV_64FC1. Defined in one translation unit, so their order of
// initialisation is fixed; nothing may use them before main.
extern cv::Mat landmarks;  // 3x4, column k-1 is landmark k
extern cv::Mat nu10, nu20, eta10, eta20;
extern cv::Mat bodyParams, hydroParams, quadDampParams, liftParams, flowParams;
extern cv::Mat state;        // 12x1 vehicle state read by the measurement simulations
extern cv::Mat modelOutput;  // 12x1 result of vehicleModel
extern cv::Mat rangeVector;  // 4x1 true distances to the landmarks
extern cv::Mat measurement;  // 4x1 simulated x, y, z, heading

// Points every parameter matrix at its array (shared storage) and converts the initial
// attitude to radians. Runs once, first thing in main.
void setUpModelData();

}  // namespace Orvanta
