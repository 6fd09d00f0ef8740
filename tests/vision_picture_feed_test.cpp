// The pictures of a run read ahead in a second thread or on demand: the same pictures, the same
// estimates and the same run; the source's end and a picture of another size in their place.
#include <gtest/gtest.h>

#include <fstream>

#include "calibration_file.hpp"
#include "no_windows.hpp"
#include "picture_feed.hpp"
#include "precise_pose.hpp"
#include "scene.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/recording_windows.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

TEST(PictureFeed, HeadlessAndWindowedRunsSeeTheSamePicturesEstimatesAndPositions) {
  resetVisionState();
  const auto dir = scratchFolder();
  const std::vector<scene::Pose> poses = scene::dive(21);
  std::string error;
  ASSERT_TRUE(scene::writeSequence(dir.string(), poses, {}, &error)) << error;
  const auto file = dir / "calibration.json";
  ASSERT_TRUE(scene::writeCalibration(file.string(), scene::render(poses[0], {}, 1), poses[0], {},
                                      210, &error));
  ASSERT_TRUE(loadCalibration(file.string(), &error)) << error;
  IntMedian = 2;
  struct Run {
    std::vector<PictureFix> fixes;
    std::vector<camera> positions;
  };
  const auto track = [&](ImageWindows& windows) {
    Run out;
    RecordingTexts texts;
    ScriptedKeyWait keys;
    Host host{(dir / "frame_%05d.png").string(), texts, keys, windows};
    host.sequenceFps = 25;
    host.fixSink = [&](const PictureFix& fix) { out.fixes.push_back(fix); };
    TrackingRun run(host);
    EXPECT_EQ(run.start(), StartResult::started);
    for (PassReport report = run.pass(); !report.endedLoop; report = run.pass())
      out.positions.push_back(report.position);
    run.finish();
    for (int ball = 1; ball <= 4; ++ball) ballRecord(ball).found = false;
    kamera = camera{};
    return out;
  };
  NoWindows none;  // reads ahead
  RecordingWindows shown;
  const Run ahead = track(none), onDemand = track(shown);
  ASSERT_EQ(ahead.fixes.size(), 21u);
  ASSERT_EQ(onDemand.fixes.size(), ahead.fixes.size());
  int valid = 0;
  for (std::size_t k = 0; k < ahead.fixes.size(); ++k) {
    const pose::CameraPose &a = ahead.fixes[k].pose, &b = onDemand.fixes[k].pose;
    EXPECT_EQ(ahead.fixes[k].picture, int(k));
    // A recorded picture's time is its place in the recording.
    EXPECT_DOUBLE_EQ(ahead.fixes[k].seconds, k / 25.0);
    EXPECT_DOUBLE_EQ(onDemand.fixes[k].seconds, k / 25.0);
    EXPECT_GE(ahead.fixes[k].latencyMs, 0);
    EXPECT_EQ(a.valid, b.valid) << k;
    EXPECT_EQ(a.position, b.position) << k;
    valid += a.valid ? 1 : 0;
  }
  EXPECT_GE(valid, 18);
  ASSERT_EQ(ahead.positions.size(), onDemand.positions.size());
  for (std::size_t k = 0; k < ahead.positions.size(); ++k)
    EXPECT_EQ(std::tie(ahead.positions[k].x, ahead.positions[k].y, ahead.positions[k].z),
              std::tie(onDemand.positions[k].x, onDemand.positions[k].y, onDemand.positions[k].z));
  resetVisionState();
}

TEST(PictureFeed, TheEndOrABadPictureEndsTheFeedForGoodAndSaysWhy) {
  resetVisionState();
  const auto dir = scratchFolder();
  const std::string pattern = writeDiscSequence(dir, std::vector<DiscFrame>(4));
  cv::imwrite((dir / "frame_00003.png").string(), cv::Mat(100, 100, CV_8UC3, cv::Scalar::all(9)));
  pose::PoseEstimator estimator(estimatorSettings(site::defaultCamera(), site::kDefaultBallRadius));
  struct Case {
    std::string source;
    int pictures;
    std::string says;  // in the problem's console text; empty: no problem
  };
  const std::string plain = writeDiscSequence(dir / "plain", std::vector<DiscFrame>(3));
  // A gap in the numbering, and a picture that cannot be decoded.
  const std::string gap = writeDiscSequence(dir / "gap", std::vector<DiscFrame>(4));
  std::filesystem::remove(dir / "gap" / "frame_00003.png");
  const std::string damaged = writeDiscSequence(dir / "damaged", std::vector<DiscFrame>(4));
  std::ofstream(dir / "damaged" / "frame_00003.png") << "\x89PNG\r\n\x1a\n cut short";
  const std::vector<Case> cases = {{pattern, 2, "100x100"},
                                   {plain, 3, ""},
                                   {gap, 2, "after 2 of 3 pictures"},
                                   {damaged, 2, "after 2 of 4 pictures"}};
  for (const bool ahead : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.source << (ahead ? " ahead" : " on demand"));
      ASSERT_TRUE(openCamera(c.source));
      PictureFeed feed(estimator, {320, 240}, ahead, c.source, 0);
      PictureFeed::Estimated next;
      PictureProblem problem;
      for (int k = 0; k < c.pictures; ++k) ASSERT_TRUE(feed.next(next, problem)) << k;
      for (int again = 0; again < 2; ++again) {
        EXPECT_FALSE(feed.next(next, problem));
        EXPECT_EQ(bool(problem), !c.says.empty());
        EXPECT_NE(problem.console.find(c.says), std::string::npos) << problem.console;
      }
    }
  // Gone with pictures still unread, the feed stops its reader.
  ASSERT_TRUE(openCamera(plain));
  { PictureFeed feed(estimator, {320, 240}, true, plain, 0); }
  resetVisionState();
}
