// The Start button's loop: its refusals, its set-up and teardown, and the key that ends it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <opencv2/imgproc.hpp>

#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/recording_windows.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

constexpr int keyN = 110;

class TrackingLoop : public ::testing::Test {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }

  std::string discSequence(int pictures) {
    return writeDiscSequence(scratchFolder(), std::vector<DiscFrame>(pictures));
  }

  RecordingTexts texts;
  RecordingWindows windows;
};

}  // namespace

TEST_F(TrackingLoop, RefusesBeforeAnyColourIsCalibrated) {
  ScriptedKeyWait keys;
  Host host{discSequence(4), texts, keys, windows};
  button1_Click(host);
  EXPECT_EQ(texts.textsOf("textBox7"), std::vector<std::string>{"Najprije odaberi boje!"});
  EXPECT_TRUE(windows.calls().empty());
  EXPECT_FALSE(capture.isOpened());
  EXPECT_EQ(keys.waits(), 0);
}

TEST_F(TrackingLoop, UnavailableCameraReportsAndReturnsToIdle) {
  calibrateDiscColours();
  ScriptedKeyWait keys;
  Host host{(scratchFolder() / "missing_%05d.png").string(), texts, keys, windows};
  button1_Click(host);
  EXPECT_EQ(texts.text("textBox7"), "Kamera nije dostupna!");
  EXPECT_TRUE(windows.calls().empty());
  EXPECT_FALSE(capture.isOpened());
}

TEST_F(TrackingLoop, PicturesWithoutColourOrOfAnotherSizeAreReportedInTheStatus) {
  calibrateDiscColours();
  struct Case {
    const char* what;
    std::function<cv::Mat(int, const cv::Mat&)> picture;  // picture k (from 1)
    std::string status;
  };
  const std::vector<Case> cases = {
      {"grey",
       [](int, const cv::Mat& bgr) {
         cv::Mat grey;
         cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
         return grey;
       },
       "Izvor daje sive slike (1 kanal): kugle se traže po boji."},
      {"resized",
       [](int k, const cv::Mat& bgr) {
         cv::Mat out = bgr.clone();
         if (k == 4) cv::resize(bgr, out, {160, 120});
         return out;
       },
       "Slika je druge veličine (160x120, a prva 320x240): praćenje je završeno."},
  };
  for (const Case& c : cases) {
    const auto dir = scratchFolder() / c.what;
    std::filesystem::create_directories(dir);
    for (int k = 1; k <= 8; ++k) {
      char file[32];
      std::snprintf(file, sizeof file, "frame_%05d.png", k);
      cv::imwrite((dir / file).string(), c.picture(k, discPicture({})));
    }
    ScriptedKeyWait keys;
    Host host{(dir / "frame_%05d.png").string(), texts, keys, windows};
    button1_Click(host);
    EXPECT_EQ(texts.text("textBox7"), c.status) << c.what;
    EXPECT_FALSE(capture.isOpened()) << c.what;
    EXPECT_TRUE(windows.openWindows().empty()) << c.what;
  }
}

TEST_F(TrackingLoop, SetUpCreatesTheTrackbarsAtTheirPositions) {
  calibrateDiscColours();
  switch_value_median = 4;
  ScriptedKeyWait keys({keyN});
  Host host{discSequence(6), texts, keys, windows};
  button1_Click(host);
  const std::vector<std::string> expected{"Canny/High",
                                          "Canny/Low",
                                          "Canny & Gaus/Par1",
                                          "Canny & Gaus/Par2",
                                          "Hough Detection/Par1",
                                          "Hough Detection/Par2",
                                          "Median/Par"};
  ASSERT_EQ(windows.trackbars().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& trackbar = windows.trackbars()[i];
    EXPECT_EQ(trackbar.window + "/" + trackbar.name, expected[i]);
    EXPECT_EQ(trackbar.maximum, i + 1 == expected.size() ? 9 : 10);
  }
  EXPECT_EQ(windows.trackbars().back().position, &switch_value_median);
}

TEST_F(TrackingLoop, EscInAnImageWindowEndsTheLoopAsNDoes) {
  calibrateDiscColours();
  ScriptedKeyWait keys({-1, 27});
  Host host{discSequence(30), texts, keys, windows};
  button1_Click(host);
  EXPECT_EQ(keys.waits(), 2);
  EXPECT_EQ(c, keyN);
}

TEST_F(TrackingLoop, KeyNEndsTheLoopAfterItsFrameCompletes) {
  calibrateDiscColours();
  kamera = {7, 8, 9};
  ScriptedKeyWait keys({-1, -1, -1, -1, keyN});
  Host host{discSequence(30), texts, keys, windows};
  EXPECT_FALSE(button1_Click(host).sourceEnded);
  EXPECT_EQ(keys.waits(), 5);
  EXPECT_EQ(keys.durations(), std::vector<int>(5, 1));
  EXPECT_EQ(c, keyN);
  // The fifth pass still closes its window and solves; only its frame time is missing.
  EXPECT_EQ(texts.textsOf("textBox39").size(), 1u);
  EXPECT_EQ(texts.textsOf("textBox43").size(), 1u);
  EXPECT_NE(kamera.x, 7);
  EXPECT_EQ(texts.textsOf("textBox38").size(), 4u);
  EXPECT_EQ(texts.textsOf("textBox7"), (std::vector<std::string>{"Proračun u tjeku...", ""}));
  EXPECT_FALSE(capture.isOpened());
  for (const char* window :
       {"Hough Detection", "grey", "grey manuel", "Median", "Canny", "Canny & Gaus"})
    EXPECT_EQ(windows.openWindows().count(window), 0u) << window;
}

TEST_F(TrackingLoop, EndOfSourceEndsTheLoop) {
  calibrateDiscColours();
  ScriptedKeyWait keys;
  Host host{discSequence(8), texts, keys, windows};  // set-up takes 1, three passes take 6
  const RunEnd end = button1_Click(host);
  EXPECT_TRUE(end.sourceEnded);
  EXPECT_EQ(end.pictures, 8);  // the fourth pass reads the last and finds no partner
  EXPECT_EQ(keys.waits(), 3);
  EXPECT_EQ(texts.textsOf("textBox38").size(), 3u);
  EXPECT_EQ(texts.text("textBox7"), "");
}

TEST_F(TrackingLoop, ValuesOfALostBallAndAnUnsolvedPositionAreShownDimmed) {
  // Two windows: the first with every ball, the second without yellow.
  calibrateDiscColours();
  std::vector<DiscFrame> pictures(11);
  pictures.resize(21, DiscFrame{{20, 20, 20, 0}});
  ScriptedKeyWait keys;
  Host host{writeDiscSequence(scratchFolder(), pictures), texts, keys, windows};
  button1_Click(host);
  ASSERT_EQ(texts.textsOf("textBox43").size(), 1u);  // solved once, kept since
  for (const char* box : {"textBox43", "textBox44", "textBox45"}) EXPECT_TRUE(texts.dimmed(box));
  // The coarse block says how old its position is: solved ten pictures (at 30 a second) before.
  EXPECT_EQ(texts.textsOf("coarseCaption").front(), "gruba procjena");
  EXPECT_EQ(texts.text("coarseCaption"), "gruba procjena\nprije 0,3 s");
  EXPECT_TRUE(texts.dimmed(ballBoxes(4).radius));
  EXPECT_TRUE(texts.dimmed(ballBoxes(4).range));
  for (int ball = 1; ball <= 3; ++ball) {
    EXPECT_FALSE(texts.dimmed(ballBoxes(ball).radius)) << ball;
    EXPECT_FALSE(texts.dimmed(ballBoxes(ball).range)) << ball;
  }
}

TEST_F(TrackingLoop, NotANumberPositionIsShownAsDashes) {
  // Green far (24.6 / 10 px = 2.46 m) and red near (24.6 / 40 px = 0.62 m): two spheres 0.7 m
  // apart whose ranges differ by more than that never meet.
  calibrateDiscColours();
  std::vector<DiscFrame> pictures(12, DiscFrame{{10, 40, 20, 20}});
  ScriptedKeyWait keys;
  Host host{writeDiscSequence(scratchFolder(), pictures), texts, keys, windows};
  button1_Click(host);
  ASSERT_EQ(texts.textsOf("textBox43").size(), 1u) << "the fifth pass must find all four balls";
  EXPECT_EQ(texts.text("textBox43"), "---");
  EXPECT_EQ(texts.text("textBox44"), "---");
  EXPECT_EQ(texts.text("textBox45"), "---");
  EXPECT_TRUE(std::isnan(kamera.x));
}

TEST_F(TrackingLoop, TheRunsVideoFileIsPrivateAndGoesAtTeardownUnlessKept) {
  calibrateDiscColours();
  // Another user's trap where the file once was: a link from <temp>/orvanta to a file of ours.
  const auto temp = scratchFolder() / "temp";
  std::filesystem::create_directories(temp);
  const auto victim = scratchFolder() / "victim.txt";
  std::ofstream(victim) << "precious";
  std::filesystem::create_directory_symlink(victim, temp / "orvanta");
  const std::string oldTemp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  ::setenv("TMPDIR", temp.c_str(), 1);
  for (const bool keep : {false, true}) {
    ScriptedKeyWait keys;
    Host host{discSequence(4), texts, keys, windows};
    host.keepVideoFile = keep;
    TrackingRun run(host);
    ASSERT_EQ(run.start(), StartResult::started);
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(temp))
      if (!entry.is_symlink()) folders.push_back(entry.path());
    ASSERT_EQ(folders.size(), 1u) << keep;
    const auto status = std::filesystem::symlink_status(folders[0]);
    EXPECT_EQ(status.type(), std::filesystem::file_type::directory);
    EXPECT_EQ(status.permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_TRUE(std::filesystem::exists(folders[0] / "out1.avi"));
    run.finish();
    EXPECT_EQ(std::filesystem::exists(folders[0] / "out1.avi"), keep);
    EXPECT_EQ(run.keptVideoFile(), keep ? folders[0] / "out1.avi" : std::filesystem::path());
    std::filesystem::remove_all(folders[0]);
  }
  oldTemp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTemp.c_str(), 1);
  std::ifstream in(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
}
