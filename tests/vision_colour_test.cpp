#include <gtest/gtest.h>

#include <cmath>

#include "colour.hpp"

using namespace Orvanta;

namespace {

hsv_color hsvOf(int r, int g, int b) {
  return rgb_to_hsv({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
}

void expectHsv(hsv_color actual, int h, int s, int v) {
  EXPECT_EQ(actual.h, h);
  EXPECT_EQ(actual.s, s);
  EXPECT_EQ(actual.v, v);
}

}  // namespace

TEST(RgbToHsv, ReferenceColours) {
  expectHsv(hsvOf(255, 0, 0), 0, 255, 255);
  expectHsv(hsvOf(0, 255, 0), 85, 255, 255);
  expectHsv(hsvOf(0, 0, 255), 171, 255, 255);
  expectHsv(hsvOf(255, 255, 0), 43, 255, 255);
  expectHsv(hsvOf(0, 255, 255), 128, 255, 255);
  expectHsv(hsvOf(255, 0, 255), 213, 255, 255);
  expectHsv(hsvOf(200, 100, 50), 14, 191, 200);
  expectHsv(hsvOf(200, 50, 100), 242, 191, 200);
}

TEST(RgbToHsv, GreysHaveNeitherHueNorSaturation) {
  expectHsv(hsvOf(0, 0, 0), 0, 0, 0);
  expectHsv(hsvOf(255, 255, 255), 0, 0, 255);
  expectHsv(hsvOf(77, 77, 77), 0, 0, 77);
}

TEST(RgbToHsv, NegativeHueKeepsItsLowByte) {
  expectHsv(hsvOf(255, 0, 10), 255, 255, 255);  // 43 * -10 / 255 truncates to -1
}

TEST(RgbToHsv, RedRuleWinsTies) {
  // Red sharing the maximum with green: 43 * 100 / 100 (the green rule would give 42).
  EXPECT_EQ(hsvOf(200, 200, 100).h, 43);
  // Red sharing it with blue: -43 wraps to 213 (the blue rule would give 214).
  EXPECT_EQ(hsvOf(200, 100, 200).h, 213);
}

TEST(HsvSimilarity, IdenticalColourScoresFull) {
  const hsv_color reference{14, 191, 200};
  EXPECT_EQ(hsv_similarity(reference, reference, hsvNormOf(reference)), 255);
}

TEST(HsvSimilarity, BlackReferenceScoresZero) {
  const hsv_color black{};
  EXPECT_EQ(hsvNormOf(black), 0);
  EXPECT_EQ(hsv_similarity(black, black, 0), 0);  // 0 / 0
  EXPECT_EQ(hsv_similarity({10, 20, 30}, black, 0), 0);
}

TEST(HsvSimilarity, HueDistanceIsMeasuredFromTheReferenceSide) {
  // Reference hue 250, pixel hue 10: dH 16; N = sqrt(250^2 + 2 * 200^2) = 377.49...
  EXPECT_EQ(hsv_similarity({10, 200, 200}, {250, 200, 200}, hsvNormOf({250, 200, 200})), 244);
  // Reference hue 10, pixel hue 250: dH 240; N = sqrt(10^2 + 2 * 200^2) = 283.02...
  EXPECT_EQ(hsv_similarity({250, 200, 200}, {10, 200, 200}, hsvNormOf({10, 200, 200})), 38);
}

TEST(HsvSimilarity, ScoreIsRoundedDown) {
  // Grey (0, 0, 128) against (85, 255, 200): (335.10 - 278.27) / 335.10 * 255 = 43.2
  EXPECT_EQ(hsv_similarity({0, 0, 128}, {85, 255, 200}, hsvNormOf({85, 255, 200})), 43);
}

TEST(HsvSimilarity, PixelAtOrBeyondTheNormScoresZero) {
  const hsv_color reference{0, 0, 50};                       // N = 50
  EXPECT_EQ(hsv_similarity({0, 0, 100}, reference, 50), 0);  // D = 50
  EXPECT_EQ(hsv_similarity({0, 0, 255}, reference, 50), 0);  // D = 205
  EXPECT_EQ(hsv_similarity({0, 0, 99}, reference, 50), 5);   // (50 - 49) / 50 * 255 = 5.1
}

TEST(HsvNorm, EuclideanLengthOfTheThreeComponents) {
  EXPECT_DOUBLE_EQ(hsvNormOf({14, 191, 200}), std::sqrt(14.0 * 14 + 191.0 * 191 + 200.0 * 200));
}

TEST(PixelToRgb, ChannelsAreTakenCrosswise) {
  const rgb_color colour = pixelToRgb(cv::Vec3b(10, 20, 30));
  EXPECT_EQ(colour.r, 30);
  EXPECT_EQ(colour.g, 20);
  EXPECT_EQ(colour.b, 10);
}
