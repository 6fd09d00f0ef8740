// Plain test pictures: the four balls as flat discs of pure colour on dark water, in fixed
// places, written as an image sequence; and the calibration that matches their colours.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "colour.hpp"
#include "state.hpp"

namespace OrvantaTest {

// Disc radius per ball in pixels, ball order; 0 leaves the ball out.
struct DiscFrame {
  std::array<int, 4> radii{20, 20, 20, 20};
};

// Disc colours in ball order, red-green-blue.
inline constexpr std::array<std::array<int, 3>, 4> discColours{
    {{0, 200, 0}, {200, 0, 0}, {0, 0, 200}, {220, 220, 0}}};

inline cv::Mat discPicture(const DiscFrame& disc) {
  static const std::array<cv::Point, 4> centres{{{90, 70}, {230, 70}, {230, 170}, {90, 170}}};
  cv::Mat picture(240, 320, CV_8UC3, cv::Scalar(60, 50, 40));
  for (std::size_t i = 0; i < centres.size(); ++i)
    if (disc.radii[i] > 0) {
      const auto& [r, g, b] = discColours[i];
      cv::circle(picture, centres[i], disc.radii[i], cv::Scalar(b, g, r), cv::FILLED, cv::LINE_AA);
    }
  return picture;
}

// Writes dir/frame_00001.png onwards; returns the sequence pattern.
inline std::string writeDiscSequence(const std::filesystem::path& dir,
                                     const std::vector<DiscFrame>& frames) {
  std::filesystem::create_directories(dir);
  for (std::size_t k = 0; k < frames.size(); ++k) {
    char file[32];
    std::snprintf(file, sizeof file, "frame_%05zu.png", k + 1);
    cv::imwrite((dir / file).string(), discPicture(frames[k]));
  }
  return (dir / "frame_%05d.png").string();
}

// Calibrates the four ball records to the disc colours, as sampling them would. The threshold
// keeps the green disc, which scores 220 against yellow's colour, out of the yellow pass.
inline void calibrateDiscColours(int threshold = 225) {
  for (int ball = 1; ball <= 4; ++ball) {
    Orvanta::circles& record = ball == 1   ? Orvanta::zelena
                               : ball == 2 ? Orvanta::crvena
                               : ball == 3 ? Orvanta::plava
                                           : Orvanta::zuta;
    const auto& [r, g, b] = discColours[ball - 1];
    record.r = r, record.g = g, record.b = b;
    const Orvanta::hsv_color hsv = Orvanta::rgb_to_hsv(
        {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)});
    record.h = hsv.h, record.s = hsv.s, record.v = hsv.v;
    record.hsvNorm = Orvanta::hsvNormOf(hsv);
    record.threshold = threshold;
  }
  Orvanta::odabran_piksel = true;
}

}  // namespace OrvantaTest
