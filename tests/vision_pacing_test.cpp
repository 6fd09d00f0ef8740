// Recorded dives in the window play at their recorded pace; cameras and headless runs do not
// wait.
#include <gtest/gtest.h>

#include <opencv2/videoio.hpp>

#include "camera.hpp"
#include "pacing.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/recording_windows.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"

using namespace Orvanta;
using namespace OrvantaTest;
using std::chrono::milliseconds;

TEST(Pacing, IntervalFollowsTheSourcesOwnRateElseTheHosts) {
  struct Case {
    const char* source;
    double recorded, playback, interval;
  };
  for (const Case& c : {Case{"dive.avi", 25, 30, 0.04}, Case{"frame_%05d.png", 0, 30, 1 / 30.0},
                        Case{"frame_%05d.png", 0, 10, 0.1}, Case{"dive.avi", NAN, 20, 0.05},
                        Case{"0", 30, 30, 0}, Case{"dive.avi", 25, 0, 0}}) {
    EXPECT_DOUBLE_EQ(playbackInterval(c.source, c.recorded, c.playback), c.interval)
        << c.source << " recorded at " << c.recorded << " played at " << c.playback;
  }
}

TEST(Pacing, WaitsKeepThePaceAndAPauseDoesNotRushTheRest) {
  Pacer pacer;
  pacer.start(0.04);
  const auto t0 = Pacer::Clock::now();
  EXPECT_EQ(pacer.waitBefore(2, t0), 0);  // the first pass goes at once
  EXPECT_EQ(pacer.waitBefore(2, t0 + milliseconds(30)), 50);
  EXPECT_EQ(pacer.waitBefore(2, t0 + milliseconds(80)), 80);  // ran with the pace
  // A pass that took a second: the pace picks up from now, no burst of catching up.
  EXPECT_EQ(pacer.waitBefore(2, t0 + milliseconds(1200)), 0);
  EXPECT_EQ(pacer.waitBefore(2, t0 + milliseconds(1200)), 0);
  EXPECT_GE(pacer.waitBefore(2, t0 + milliseconds(1200)), 59);

  Pacer unpaced;
  unpaced.start(0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(unpaced.waitBefore(2, t0), 0);
}

TEST(Pacing, OpenedSourcesGiveTheirRate) {
  resetVisionState();
  const auto dir = scratchFolder();
  const std::string video = (dir / "dive.avi").string();
  {
    cv::VideoWriter writer(video, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                           25, {64, 48});
    ASSERT_TRUE(writer.isOpened());
    for (int i = 0; i < 3; ++i) writer.write(cv::Mat(48, 64, CV_8UC3, cv::Scalar::all(90)));
  }
  RecordingTexts texts;
  RecordingWindows windows;
  ScriptedKeyWait keys;
  const std::string sequence = writeDiscSequence(dir, std::vector<DiscFrame>(3));
  for (const auto& [source, interval] : {std::pair{video, 0.04}, std::pair{sequence, 0.1}}) {
    Host host{source, texts, keys, windows};
    host.playbackFps = 10;
    ASSERT_TRUE(openCamera(source)) << source;
    Pacer pacer;
    pacer.start(host);
    const auto t0 = Pacer::Clock::now();
    pacer.waitBefore(1, t0);
    EXPECT_EQ(pacer.waitBefore(1, t0), int(interval * 1000)) << source;
  }
  resetVisionState();
}
