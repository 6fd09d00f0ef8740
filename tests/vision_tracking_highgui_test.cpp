// The tracking loop with real highgui windows (Qt's offscreen platform under CTest): the
// windows and trackbars it opens, and a trackbar move reaching the detection.
#include <gtest/gtest.h>

#include <opencv2/highgui.hpp>

#include "detection.hpp"
#include "image_windows.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

TEST(TrackingLoopWindows, TrackbarsStartAtTheirPositionsAndMovesReachTheCopies) {
  resetVisionState();
  calibrateDiscColours();
  switch_value_median = IntMedian = 2;
  high_switch_value_hough = highIntHough = 1;

  std::vector<double> mediansSeen;
  std::vector<int> trackbarStart;
  ScriptedKeyWait keys({-1, -1, 110}, [&](int wait) {
    mediansSeen.push_back(currentParams().medianAperture);
    if (wait == 0) {
      trackbarStart = {cv::getTrackbarPos("Par", "Median"),
                       cv::getTrackbarPos("Par1", "Hough Detection"),
                       cv::getTrackbarPos("High", "Canny")};
      cv::setTrackbarPos("Par", "Median", 3);  // as the operator would drag it
    }
  });
  RecordingTexts texts;
  HighguiWindows windows;
  Host host{writeDiscSequence(scratchFolder(), std::vector<DiscFrame>(10)), texts, keys, windows};
  button1_Click(host);

  EXPECT_EQ(trackbarStart, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(switch_value_median, 3);
  EXPECT_EQ(IntMedian, 3);
  EXPECT_EQ(highIntHough, 1);  // creating a trackbar is not a move
  EXPECT_EQ(mediansSeen, (std::vector<double>{5, 7, 7}));
  resetVisionState();
}

TEST(TrackingLoopWindows, ClosingAWindowThatIsNotOpenIsHarmless) {
  // The preview and the calibration close each other's window first, often before any
  // highgui window exists in the process.
  HighguiWindows windows;
  EXPECT_NO_THROW(windows.destroyWindow("RGB prikaz slike"));
  windows.namedWindow("Video");
  EXPECT_NO_THROW(windows.destroyWindow("Video"));
  EXPECT_NO_THROW(windows.destroyWindow("Video"));
}
