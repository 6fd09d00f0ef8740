// Where the image windows go: beside and below the operator window, never over it, on screens
// from large to small.
#include <gtest/gtest.h>

#include "window_layout.hpp"

using namespace Orvanta;

namespace {

// The six windows of a tracking run, in the order they are first shown, with their trackbars.
const std::vector<std::pair<std::string, int>> kDetectionWindows = {
    {"Hough Detection", 2}, {"grey manuel", 0}, {"grey", 0},
    {"Median", 1},          {"Canny", 2},       {"Canny & Gaus", 2}};

}  // namespace

TEST(WindowLayout, DetectionWindowsTileBesideAndBelowTheOperatorWindow) {
  const cv::Rect operatorFrame(0, 0, 1182, 747), readings(0, 0, 1182, 180);
  struct Case {
    cv::Size screen, picture;
    bool roomForAll;  // for every window apart and clear of the operator window
  };
  for (const Case& c :
       {Case{{1600, 1200}, {320, 240}, true}, Case{{1920, 1080}, {320, 240}, true},
        Case{{1280, 1024}, {320, 240}, false}, Case{{1600, 1200}, {640, 480}, false},
        Case{{1024, 768}, {320, 240}, false}}) {
    WindowTiler tiler({cv::Rect({0, 0}, c.screen), operatorFrame});
    for (const auto& [name, trackbars] : kDetectionWindows) tiler.place(name, c.picture, trackbars);
    SCOPED_TRACE(testing::Message() << c.screen << " pictures " << c.picture);
    int overlaps = 0;
    for (const auto& [name, frame] : tiler.placed()) {
      EXPECT_EQ(frame & cv::Rect({0, 0}, c.screen), frame) << name << " off the screen";
      // The status and the positions stay in sight whatever the screen.
      EXPECT_EQ((frame & readings).area(), 0) << name << " over the operator's readings";
      if (c.roomForAll) {
        EXPECT_EQ((frame & operatorFrame).area(), 0) << name << " over the operator window";
      }
      for (const auto& [other, otherFrame] : tiler.placed())
        overlaps += name < other && (frame & otherFrame).area() > 0 ? 1 : 0;
    }
    if (c.roomForAll) {
      EXPECT_EQ(overlaps, 0);
    }
  }
}

TEST(WindowLayout, AClosedWindowsPlaceIsTakenAgain) {
  WindowTiler tiler({cv::Rect(0, 0, 1600, 1200), cv::Rect(0, 0, 1182, 747)});
  const cv::Point video = tiler.place("Video", {320, 240}, 0);
  EXPECT_EQ(video, cv::Point(1186, 0));  // beside the operator window, at the top
  tiler.forget("Video");
  EXPECT_EQ(tiler.place("RGB prikaz slike", {320, 240}, 0), video);
  EXPECT_NE(tiler.place("Histogram", {560, 300}, 0), video);
}
