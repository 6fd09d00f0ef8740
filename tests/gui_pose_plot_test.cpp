// The plot of the precise pose over time: the span it keeps, its gaps and its scales.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "pose_plot.hpp"

using Orvanta::PosePlot;

TEST(PosePlot, KeepsTheLastSpanStartsAnewWhenTimeGoesBackAndScalesEachStrip) {
  PosePlot plot;
  const double gap = std::nan("");
  for (int i = 0; i <= 300; ++i) {  // 30 s at 10 pictures a second, no pose from 25 s to 26 s
    const double t = 0.1 * i;
    const bool posed = t < 25 || t > 26;
    plot.add(t, posed ? PosePlot::Values{0.35 + 0.01 * t, -0.2, 1.5 + 0.0001 * i, 170 + t}
                      : PosePlot::Values{gap, gap, gap, gap});
  }
  EXPECT_NEAR(plot.samples().front().seconds, 30 - PosePlot::kSpan, 1e-9);
  EXPECT_NEAR(plot.samples().back().seconds, 30, 1e-9);

  struct Strip {
    double low, high;
  };
  // x spans 0.45 to 0.65; y is constant, shown over its least span; z spans 0.02 m, widened
  // to 5 cm; the heading spans 10 to 30 degrees past 170, gaps left out.
  const Strip expected[] = {{0.45, 0.65}, {-0.225, -0.175}, {1.495, 1.545}, {180, 200}};
  for (int strip = 0; strip < PosePlot::kStrips; ++strip) {
    const auto [low, high] = plot.range(strip);
    EXPECT_NEAR(low, expected[strip].low, 1e-6) << strip;
    EXPECT_NEAR(high, expected[strip].high, 1e-6) << strip;
  }
  // Painting with gaps and a wrapping heading draws, and does not crash.
  plot.add(30.1, {0.5, -0.2, 1.6, -179});
  plot.resize(288, 240);
  QImage image(plot.size(), QImage::Format_RGB32);
  plot.render(&image);
  EXPECT_FALSE(image.isNull());

  plot.add(2, {0.1, 0.1, 1, 0});  // a source started again
  ASSERT_EQ(plot.samples().size(), 1u);
  const auto [low, high] = plot.range(3);
  EXPECT_NEAR(high - low, 5, 1e-9);
  plot.clear();
  EXPECT_TRUE(plot.samples().empty());
}
