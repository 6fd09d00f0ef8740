// Where the image windows go: beside and below the operator window, never over its readings,
// scaled down when the screen has no room, on screens from a laptop's to a large one.
#include <gtest/gtest.h>

#include "window_layout.hpp"

using namespace Orvanta;

namespace {

// The six windows of a tracking run, in the order they are first shown, with their trackbars;
// the two masks in the background.
struct Shown {
  std::string name;
  int trackbars;
  bool background;
};
const std::vector<Shown> kDetectionWindows = {
    {"Hough Detection", 2, false}, {"grey manuel", 0, true}, {"grey", 0, true},
    {"Median", 1, false},          {"Canny", 2, false},      {"Canny & Gaus", 2, false}};

// The operator window at the top left as the window manager decorates it, with its readings.
ScreenLayout laptopToDesktop(cv::Size screen) {
  return {cv::Rect({0, 0}, screen),
          cv::Rect(0, 0, 1184, 753),
          {cv::Rect(2, 30, 1180, 136), cv::Rect(886, 30, 288, 717)}};
}

}  // namespace

TEST(WindowLayout, DetectionWindowsNeverHideTheReadingsNorOneAnother) {
  struct Case {
    cv::Size screen, picture;
    bool roomBeside;  // for every window clear of the operator window, if scaled down
  };
  for (const Case& c : {Case{{1366, 768}, {320, 240}, false}, Case{{1366, 768}, {640, 480}, false},
                        Case{{1366, 768}, {1280, 960}, false}, Case{{1920, 1080}, {320, 240}, true},
                        Case{{1920, 1080}, {640, 480}, true}, Case{{1920, 1080}, {1280, 960}, true},
                        Case{{1600, 1200}, {320, 240}, true}, Case{{1600, 1200}, {640, 480}, true},
                        Case{{1600, 1200}, {1280, 960}, true}}) {
    const ScreenLayout layout = laptopToDesktop(c.screen);
    WindowTiler tiler(layout);
    for (const Shown& w : kDetectionWindows)
      tiler.place(w.name, c.picture, w.trackbars, w.background);
    SCOPED_TRACE(testing::Message() << c.screen << " pictures " << c.picture);
    for (const Shown& w : kDetectionWindows) {
      const Placement& p = tiler.placed().at(w.name);
      EXPECT_EQ(p.frame & layout.screen, p.frame) << w.name << " off the screen";
      for (const cv::Rect& r : layout.readings)
        EXPECT_EQ((p.frame & r).area(), 0) << w.name << " over the operator's readings";
      EXPECT_GE(c.picture.width * p.scale, std::min(c.picture.width, 240) - 1) << w.name;
      if (c.roomBeside && !w.background) {
        EXPECT_EQ((p.frame & layout.keepClear).area(), 0) << w.name << " over the operator window";
      }
      // The windows lie apart, but for the two masks.
      for (const Shown& o : kDetectionWindows) {
        const bool mayCover = o.name == w.name || (w.background && o.background);
        EXPECT_TRUE(mayCover || (p.frame & tiler.placed().at(o.name).frame).area() == 0)
            << o.name << " over " << w.name;
      }
    }
  }
}

TEST(WindowLayout, AClosedWindowsPlaceIsTakenAgainAndSmallPicturesKeepTheirSize) {
  WindowTiler tiler(laptopToDesktop({1600, 1200}));
  tiler.place("Video", {320, 240}, 0);
  const Placement video = tiler.placed().at("Video");
  EXPECT_GE(video.frame.x, 1184);  // beside the operator window, at the top
  EXPECT_EQ(video.frame.y, 0);
  EXPECT_EQ(video.scale, 1);
  tiler.forget("Video");
  tiler.place("RGB prikaz slike", {320, 240}, 0);
  EXPECT_EQ(tiler.placed().at("RGB prikaz slike").frame, video.frame);
  tiler.place("Histogram", {560, 300}, 0);
  EXPECT_EQ((tiler.placed().at("Histogram").frame & video.frame).area(), 0);
}
