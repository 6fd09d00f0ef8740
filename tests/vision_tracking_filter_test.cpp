// The five-frame range filter, on its own and inside tracking runs over flat disc pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "no_windows.hpp"
#include "number_format.hpp"
#include "ranging.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

constexpr int keyN = 110;

// All four balls at the given ranges.
std::array<double, 4> same(double range) {
  return {range, range, range, range};
}

}  // namespace

TEST(RangeFilter, FifthFrameShowsLargestOfFirstFour) {
  RangeFilter filter;
  const std::array<double, 5> green{1.0, 1.2, 0.9, 1.1, 2.0};
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(filter.add({green[k], 0.5, 0.5, 0.5}));
  EXPECT_TRUE(filter.add({green[4], 3.0, 3.0, 3.0}));
  EXPECT_DOUBLE_EQ(filter.ranges()[0], 1.2);
  EXPECT_DOUBLE_EQ(filter.ranges()[1], 0.5);  // frame 5's 3.0 is not merged
}

TEST(RangeFilter, NextWindowStartsFromItsFirstFrame) {
  RangeFilter filter;
  for (int k = 0; k < 5; ++k) filter.add(same(2.0));
  filter.add(same(0.8));
  filter.add(same(0.7));
  filter.add(same(0.6));
  filter.add(same(0.75));
  EXPECT_TRUE(filter.add(same(5.0)));
  EXPECT_DOUBLE_EQ(filter.ranges()[3], 0.8);
}

TEST(RangeFilter, OnlyALargerDistanceReplaces) {
  RangeFilter filter;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  filter.add(same(1.0));
  filter.add({nan, inf, 1.0, 0.9});  // NaN never compares greater; a radius-0 range does
  EXPECT_DOUBLE_EQ(filter.ranges()[0], 1.0);
  EXPECT_EQ(filter.ranges()[1], inf);
  EXPECT_DOUBLE_EQ(filter.ranges()[3], 1.0);
}

class TrackingWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    resetVisionState();
    calibrateDiscColours();
  }
  void TearDown() override { resetVisionState(); }

  // Runs the loop on the pictures until the source ends or the key script says "n".
  void run(const std::vector<DiscFrame>& pictures, std::vector<int> keys = {}) {
    static int sequence = 0;
    const auto dir = scratchFolder() / std::to_string(sequence++);
    ScriptedKeyWait wait(std::move(keys));
    Host host{writeDiscSequence(dir, pictures), texts, wait, windows};
    button1_Click(host);
  }

  RecordingTexts texts;
  NoWindows windows;
};

// Set-up takes the first picture; pass k then searches picture 2k and draws on 2k + 1.
TEST_F(TrackingWindow, ThreeBallsInFifthFrameKeepThePosition) {
  std::vector<DiscFrame> pictures(13);
  pictures[9] = pictures[10] = DiscFrame{{20, 20, 20, 0}};
  kamera = {7, 8, 9};
  run(pictures);
  EXPECT_EQ(texts.textsOf("textBox39").size(), 1u);  // ranges still shown
  EXPECT_TRUE(texts.textsOf("textBox43").empty());
  EXPECT_EQ(kamera.x, 7);
  EXPECT_EQ(kamera.y, 8);
  EXPECT_EQ(kamera.z, 9);
}

TEST_F(TrackingWindow, FourBallsInFifthFrameSolve) {
  kamera = {7, 8, 9};
  run(std::vector<DiscFrame>(13, DiscFrame{{16, 20, 24, 18}}));
  // Still pictures: every frame gives the same ranges, shown in ball order.
  const std::array<const circles*, 4> balls{&zelena, &crvena, &plava, &zuta};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(texts.textsOf("textBox" + std::to_string(39 + i)),
              std::vector<std::string>{formatNumber(balls[i]->distance)});
  }
  EXPECT_GT(zelena.distance, plava.distance);  // the smallest disc is the farthest ball
  ASSERT_EQ(texts.textsOf("textBox43").size(), 1u);
  EXPECT_NE(kamera.x, 7);
  EXPECT_EQ(texts.text("textBox43"), formatNumber(kamera.x));
  EXPECT_EQ(texts.text("textBox45"), formatNumber(kamera.z));
}

TEST_F(TrackingWindow, SecondRunStartsAFreshWindow) {
  // Smaller discs (longer ranges) in the first run, which stops after three passes.
  std::vector<DiscFrame> far(20, DiscFrame{{14, 14, 14, 14}});
  run(far, {-1, -1, keyN});
  const double farRange = zelena.distance;
  EXPECT_TRUE(texts.textsOf("textBox39").empty());

  std::vector<DiscFrame> near(20, DiscFrame{{24, 24, 24, 24}});
  run(near, {-1, -1, -1, -1, keyN});
  const double nearRange = udaljenostPredmeta(zelena.radius);
  ASSERT_LT(nearRange, farRange);
  // Only the second run's four passes count: its fifth closes the window, with its own range.
  ASSERT_EQ(texts.textsOf("textBox39").size(), 1u);
  EXPECT_EQ(texts.text("textBox39"), formatNumber(nearRange));
}
