// The landmark: four balls at the corners of a 0.7 m x 0.51 m rectangle in the plane z = 0.
// Everything that counts, names or places the balls takes it from here.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <string>

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
  double headingDegrees = 0;  // of the landmark frame's x axis, clockwise from north
};

const LandmarkLayout& defaultLayout();

// Why no picture could give a pose with the layout (balls that overlap, three in a line, a
// radius out of 5 mm..1 m), in one line; nothing when it can.
std::optional<std::string> layoutProblem(const LandmarkLayout& layout);

}  // namespace Orvanta::site
