// The integer HSV conversion and the similarity score. The threshold histogram and the ball
// detection must score identically, so both call these and nothing else.
#include "colour.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Orvanta {

rgb_color rgb;
hsv_color hsv;
hsv_color hsv_pom;
rgb_col rgb_full;
hsv_col hsv_full;

namespace {

int hueOf(int r, int g, int b, int max, int d) {
  if (max == r) return 43 * (g - b) / d;
  if (max == g) return 85 + 43 * (b - r) / d;
  return 171 + 43 * (r - g) / d;
}

}  // namespace

hsv_color rgb_to_hsv(rgb_color in) {
  const int r = in.r, g = in.g, b = in.b;
  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  hsv_color out;
  out.v = static_cast<std::uint8_t>(max);
  if (max == 0) return out;
  const int s = (max - min) * 255 / max;
  out.s = static_cast<std::uint8_t>(s);
  if (s == 0) return out;
  // A negative hue keeps its low 8 bits: -1 becomes 255.
  out.h = static_cast<std::uint8_t>(hueOf(r, g, b, max, max - min));
  return out;
}

double hsv_similarity(hsv_color pixel, hsv_color reference, double norm) {
  const int ph = pixel.h, rh = reference.h;
  // Deliberately one-sided: the wrap is measured from the reference's side only, and the
  // thresholds chosen on the histogram depend on exactly this rule.
  const int dH = std::abs(ph - rh) > 128 ? std::abs(256 - rh + ph) % 256 : std::abs(rh - ph) % 256;
  const int dS = pixel.s - reference.s;
  const int dV = pixel.v - reference.v;
  const double distance = std::sqrt(double(dH) * dH + double(dS) * dS + double(dV) * dV);
  const double score = std::floor((norm - distance) / norm * 255);
  // Also catches the not-a-number of a black reference (norm 0).
  return score > 0 ? score : 0;
}

double hsvNormOf(hsv_color reference) {
  const double h = reference.h, s = reference.s, v = reference.v;
  return std::sqrt(h * h + s * s + v * v);
}

rgb_color pixelToRgb(const cv::Vec3b& bgr) {
  return {bgr[2], bgr[1], bgr[0]};
}

}  // namespace Orvanta
