// Which ball, if any, a pixel shows. Colours are compared by direction in RGB, which shading
// leaves alone (a ball's rim lit at half strength keeps its hue): a pixel belongs to the ball
// whose calibrated colour is nearest in angle, unless the water's colour is nearer still, the
// pixel is too dark to have a direction, or no ball is within a fixed angle.
#pragma once

#include <array>
#include <cstdint>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

#include "landmark_layout.hpp"
#include "parameters.hpp"

namespace Orvanta::pose {

class ColourClasses {
 public:
  // RGB of each ball's calibrated colour; a ball without one is never assigned.
  ColourClasses(const std::array<std::optional<cv::Vec3d>, site::kBallCount>& balls,
                const PoseParameters::Colour& parameters);

  // The water's RGB as it is now. The table follows when its direction has turned by more than
  // the rebuild angle.
  void setWater(const cv::Vec3d& rgb);

  // 0 for no ball, else the ball's number 1..4.
  std::uint8_t classOf(const std::uint8_t* bgr) const {
    return table_[(bgr[2] >> kShift) << (2 * kBits) | (bgr[1] >> kShift) << kBits |
                  (bgr[0] >> kShift)];
  }
  // 255 where the pixels of `area` of a BGR picture show `ball`, else 0; mask is area-sized.
  void maskOf(const cv::Mat& bgr, cv::Rect area, int ball, cv::Mat& mask) const;

 private:
  static constexpr int kBits = 5, kShift = 8 - kBits;
  std::array<std::optional<cv::Vec3d>, site::kBallCount> balls_;  // unit directions
  std::optional<cv::Vec3d> water_;  // unit direction the table was built for
  std::vector<std::uint8_t> table_;
  double darkest_, widestCos_, rebuildCos_;

  void build();
};

// The water's colour: the per-channel median over a sparse grid of the picture, which the
// balls (a small part of any view) do not move. RGB.
// gridPx: pixels between the samples.
cv::Vec3d waterColour(const cv::Mat& bgr, int gridPx);

}  // namespace Orvanta::pose
