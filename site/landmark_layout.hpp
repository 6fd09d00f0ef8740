// The landmark: four balls at the corners of a 0.7 m x 0.51 m rectangle in the plane z = 0.
// Everything that counts, names or places the balls takes it from here.
#pragma once

#include <array>
#include <opencv2/core.hpp>

namespace Orvanta::site {

// Balls 1..4 in this order everywhere: green, red, blue, yellow. It is also the order in which
// the operator calibrates their colours.
inline constexpr int kBallCount = 4;

// The balls' names in the calibration file and in the program's English outputs.
inline constexpr std::array<const char*, kBallCount> kBallNames = {"green", "red", "blue",
                                                                   "yellow"};

// Ball centres in the landmark frame, metres (x along green-red, y from red to blue negative).
inline constexpr double kDefaultCentres[kBallCount][3] = {
    {0.0, 0.0, 0.0}, {0.7, 0.0, 0.0}, {0.7, -0.51, 0.0}, {0.0, -0.51, 0.0}};

// The balls' radius, metres. The range constant of the radius chain implies the same with the
// default camera (24.6 m px over the geometric mean focal length).
inline constexpr double kDefaultBallRadius = 0.05;

struct LandmarkLayout {
  std::array<cv::Point3d, kBallCount> centres;  // ball 1..4 at [0..3]
  double ballRadius = kDefaultBallRadius;
};

const LandmarkLayout& defaultLayout();

}  // namespace Orvanta::site
