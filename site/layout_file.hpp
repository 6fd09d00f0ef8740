// Landmark layout files (JSON): the balls' centres in the landmark frame, metres, their radius
// and the frame's heading, for instance
//   {"balls": {"green": [0, 0, 0], "red": [0.7, 0, 0], "blue": [0.7, -0.51, 0],
//              "yellow": [0, -0.51, 0]},
//    "ball_radius": 0.05, "heading_deg": 0}
// Every ball is required; ball_radius and heading_deg default to 0.05 m and 0 degrees.
#pragma once

#include <optional>
#include <string>

#include "landmark_layout.hpp"

namespace Orvanta::site {

// Reads and checks a layout file. On a problem (the file, its form, or a layout that cannot
// give a pose): nothing, and *problem says what in one line.
std::optional<LandmarkLayout> readLayoutFile(const std::string& path, std::string* problem);

// The same for the file's text.
std::optional<LandmarkLayout> parseLayoutText(const std::string& text, std::string* problem);

}  // namespace Orvanta::site
