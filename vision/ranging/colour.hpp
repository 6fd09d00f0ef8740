// Colour records, the integer RGB to HSV conversion (256-step hue circle) and the per-pixel
// similarity score shared by the threshold histogram and the ball detection.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>

namespace Orvanta {

struct rgb_color {
  std::uint8_t r = 0, g = 0, b = 0;
};
struct hsv_color {
  std::uint8_t h = 0, s = 0, v = 0;
};
struct rgb_col {
  int r = 0, g = 0, b = 0;
};
struct hsv_col {
  double h = 0, s = 0, v = 0;
};

extern rgb_color rgb;      // pixel being converted
extern hsv_color hsv;      // reference colour of the current pass
extern hsv_color hsv_pom;  // HSV of the pixel under test
extern rgb_col rgb_full;   // last sampled colour, for the window
extern hsv_col hsv_full;   // its HSV

hsv_color rgb_to_hsv(rgb_color in);
// 0 (far) .. 255 (identical); 0 for a black reference (norm 0).
double hsv_similarity(hsv_color pixel, hsv_color reference, double norm);
// sqrt(h^2 + s^2 + v^2) of a reference colour.
double hsvNormOf(hsv_color reference);
// A frame pixel (blue, green, red order) as an rgb_color.
rgb_color pixelToRgb(const cv::Vec3b& bgr);

}  // namespace Orvanta
