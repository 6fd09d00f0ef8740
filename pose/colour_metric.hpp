// The colour space in which outlines and coverage are measured: luma (BT.601) at full weight and
// chroma at half, since MJPG keeps the luma at full resolution and the chroma at half. Linear in
// the pixel's colour, with black at the origin.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>

namespace Orvanta::pose {

inline constexpr float kChromaWeight = 0.5f;

inline cv::Vec3f weightedYcc(const std::uint8_t* bgr) {
  const float b = bgr[0], g = bgr[1], r = bgr[2];
  return {0.114f * b + 0.587f * g + 0.299f * r,
          kChromaWeight * (0.5f * b - 0.331264f * g - 0.168736f * r),
          kChromaWeight * (-0.081312f * b - 0.418688f * g + 0.5f * r)};
}

}  // namespace Orvanta::pose
