#include "colour_classes.hpp"

#include <algorithm>
#include <cmath>

namespace Orvanta::pose {

namespace {

double cosOfDegrees(double degrees) {
  return std::cos(degrees * CV_PI / 180);
}

std::optional<cv::Vec3d> direction(const cv::Vec3d& rgb) {
  const double length = cv::norm(rgb);
  if (!(length > 0)) return std::nullopt;
  return rgb / length;
}

}  // namespace

ColourClasses::ColourClasses(const std::array<std::optional<cv::Vec3d>, site::kBallCount>& balls,
                             const PoseParameters::Colour& parameters)
    : darkest_(parameters.darkestLevel),
      widestCos_(cosOfDegrees(parameters.widestAngleDeg)),
      rebuildCos_(cosOfDegrees(parameters.rebuildAngleDeg)) {
  for (int i = 0; i < site::kBallCount; ++i)
    if (balls[i]) balls_[i] = direction(*balls[i]);
  table_.assign(std::size_t(1) << (3 * kBits), 0);
}

void ColourClasses::setWater(const cv::Vec3d& rgb) {
  const std::optional<cv::Vec3d> water = direction(rgb);
  if (water && water_ && water->dot(*water_) > rebuildCos_) return;
  water_ = water;
  build();
}

void ColourClasses::build() {
  constexpr int cells = 1 << kBits, width = 1 << kShift;
  for (int r = 0; r < cells; ++r)
    for (int g = 0; g < cells; ++g)
      for (int b = 0; b < cells; ++b) {
        // The middle of the cell of colours that share these high bits.
        const cv::Vec3d rgb((r + 0.5) * width, (g + 0.5) * width, (b + 0.5) * width);
        std::uint8_t best = 0;
        if (std::max({rgb[0], rgb[1], rgb[2]}) >= darkest_) {
          const cv::Vec3d unit = rgb / cv::norm(rgb);
          double bestCos = water_ ? std::max(widestCos_, unit.dot(*water_)) : widestCos_;
          for (int i = 0; i < site::kBallCount; ++i) {
            if (!balls_[i]) continue;
            const double cosine = unit.dot(*balls_[i]);
            if (cosine > bestCos) bestCos = cosine, best = std::uint8_t(i + 1);
          }
        }
        table_[std::size_t(r) << (2 * kBits) | std::size_t(g) << kBits | std::size_t(b)] = best;
      }
}

void ColourClasses::maskOf(const cv::Mat& bgr, cv::Rect area, int ball, cv::Mat& mask) const {
  mask.create(area.size(), CV_8UC1);
  for (int y = 0; y < area.height; ++y) {
    const std::uint8_t* in = bgr.ptr<std::uint8_t>(area.y + y) + 3 * area.x;
    std::uint8_t* out = mask.ptr<std::uint8_t>(y);
    for (int x = 0; x < area.width; ++x, in += 3) out[x] = classOf(in) == ball ? 255 : 0;
  }
}

cv::Vec3d waterColour(const cv::Mat& bgr, int gridPx) {
  std::array<std::array<int, 256>, 3> histograms{};
  int samples = 0;
  for (int y = gridPx / 2; y < bgr.rows; y += gridPx) {
    const std::uint8_t* row = bgr.ptr<std::uint8_t>(y);
    for (int x = gridPx / 2; x < bgr.cols; x += gridPx, ++samples)
      for (int c = 0; c < 3; ++c) ++histograms[c][row[3 * x + c]];
  }
  cv::Vec3d bgrMedian(0, 0, 0);
  for (int c = 0; c < 3; ++c) {
    int below = 0, level = 0;
    while (level < 255 && (below += histograms[c][level]) * 2 < samples) ++level;
    bgrMedian[c] = level;
  }
  return {bgrMedian[2], bgrMedian[1], bgrMedian[0]};
}

}  // namespace Orvanta::pose
