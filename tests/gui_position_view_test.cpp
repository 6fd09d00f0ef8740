// The top view of the position: its trail and the part of the plane it shows.
#include <gtest/gtest.h>

#include <cmath>

#include "position_view.hpp"

using Orvanta::PositionView;

TEST(PositionView, TrailKeepsTheLatestPositions) {
  PositionView view;
  for (std::size_t i = 0; i < PositionView::kTrailLength + 3; ++i) view.addPosition(i, -0.1 * i);
  ASSERT_EQ(view.trail().size(), PositionView::kTrailLength);
  EXPECT_EQ(view.trail().front(), QPointF(3, -0.3));
  EXPECT_EQ(view.trail().back().x(), PositionView::kTrailLength + 2);
}

TEST(PositionView, PositionsThatAreNotNumbersAreSkipped) {
  PositionView view;
  view.addPosition(0.2, -0.3);
  view.addPosition(std::nan(""), 0.1);
  view.addPosition(0.1, INFINITY);
  ASSERT_EQ(view.trail().size(), 1u);
  EXPECT_EQ(view.trail().back(), QPointF(0.2, -0.3));
}

TEST(PositionView, ShowsTheRectangleAndThePreciseTrackNeverTheCoarseOutliers) {
  PositionView view;
  QRectF area = view.shownArea();
  EXPECT_NEAR(area.left(), -0.1, 1e-6);
  EXPECT_NEAR(area.right(), 0.8, 1e-6);
  EXPECT_NEAR(area.top(), -0.61, 1e-6);  // the lowest y: the rectangle's far side
  EXPECT_NEAR(area.bottom(), 0.1, 1e-6);
  // A coarse position 3 m off would shrink the precise track to a squiggle: it is left out.
  view.addPosition(3.5, 2.5);
  EXPECT_EQ(view.shownArea(), area);
  view.addPrecisePosition(1.5, 0.5);
  area = view.shownArea();
  EXPECT_NEAR(area.right(), 1.6, 1e-6);
  EXPECT_NEAR(area.bottom(), 0.6, 1e-6);
  EXPECT_NEAR(area.left(), -0.1, 1e-6);
  // A new run starts new tracks.
  view.clearTracks();
  EXPECT_TRUE(view.trail().empty());
  EXPECT_TRUE(view.preciseTrack().empty());
  EXPECT_NEAR(view.shownArea().right(), 0.8, 1e-6);
}
