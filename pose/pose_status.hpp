// Why a picture gave the pose it gave, or none.
#pragma once

#include <array>
#include <string>

#include "colour_classes.hpp"

namespace Orvanta::pose {

enum class Refusal {
  none,          // a pose
  tooFewBalls,   // fewer than three balls measured
  reprojection,  // the ball centres do not fit the landmark layout under any pose
  ranges,        // the pose's distances to the balls disagree with their apparent sizes
  noSolution,    // the solver found no pose in front of the camera
  ambiguous,     // three balls, and two poses far apart fit them and their sizes alike
  unstable,      // three balls seen where a tenth of a pixel moves the pose by centimetres
  pictureSize,   // the picture's size differs from the camera model's
};

struct PoseStatus {
  Refusal refusal = Refusal::none;
  std::array<bool, site::kBallCount> missing{};  // balls not measured in this picture
  double measured = 0, limit = 0;                // what the refusing gate measured, and its limit
};

// The ball's name in the calibration file's words: "green", "red", "blue", "yellow".
const char* ballName(int ball /* 1..4 */);

// One line without commas, for the CSV: "ok", "ok: yellow not found", "red and blue not found",
// "reprojection 2.31 px over 1 px", "ranges disagree by 7.1% over 3%", ...
std::string describe(const PoseStatus& status);

}  // namespace Orvanta::pose
