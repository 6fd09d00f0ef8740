// The click slot and the threshold histogram: the picture, the click that chooses, and what
// is stored or refused.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "click_slot.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "gui_support.hpp"
#include "histogram.hpp"
#include "histogram_suggestion.hpp"
#include "histogram_view.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

// A uniform scene of one colour (red, green, blue) as an open camera of a few pictures.
void openUniformCamera(int r, int g, int b) {
  const auto dir = scratchFolder();
  for (int k = 1; k <= 3; ++k)
    cv::imwrite((dir / ("frame_0000" + std::to_string(k) + ".png")).string(),
                cv::Mat(48, 64, CV_8UC3, cv::Scalar(b, g, r)));
  ASSERT_TRUE(capture.open((dir / "frame_%05d.png").string(), cv::CAP_IMAGES));
}

class Histogram : public ::testing::Test {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }

  // Clicks at the given waits on the places in the view of these histogram points.
  std::function<void(int)> clicksAt(std::map<int, cv::Point> clicks) {
    return [this, clicks](int wait) {
      if (const auto at = clicks.find(wait); at != clicks.end()) {
        const cv::Point view = HistogramView::viewPointOf(at->second);
        windows.mouse("Histogram", cv::EVENT_LBUTTONDOWN, view.x, view.y);
      }
    };
  }

  RecordingTexts texts;
  RecordingWindows windows;
};

}  // namespace

TEST(ClickSlot, LeftPressIsParkedInTheSlot) {
  resetVisionState();
  mouseClick(cv::EVENT_LBUTTONDOWN, 12, 34, 0, nullptr);
  EXPECT_EQ(box.x, 12);
  EXPECT_EQ(box.y, 34);
  EXPECT_TRUE(izmjena);
}

TEST(ClickSlot, OtherEventsAreIgnored) {
  resetVisionState();
  box = {-1, -1, 0, 0};
  for (int event :
       {cv::EVENT_MOUSEMOVE, cv::EVENT_LBUTTONUP, cv::EVENT_RBUTTONDOWN, cv::EVENT_LBUTTONDBLCLK})
    mouseClick(event, 12, 34, cv::EVENT_FLAG_LBUTTON, nullptr);
  EXPECT_EQ(box, cv::Rect(-1, -1, 0, 0));
  EXPECT_FALSE(izmjena);
}

TEST(HistogramPicture, UniformScoreGivesOneFullBar) {
  const cv::Mat picture = histogramPicture(cv::Mat(30, 40, CV_8UC1, cv::Scalar(255)));
  ASSERT_EQ(picture.size(), cv::Size(256, 50));
  EXPECT_EQ(cv::countNonZero(picture.col(255)), 0);
  EXPECT_EQ(cv::countNonZero(picture.colRange(0, 255) != 255), 0);
}

TEST(HistogramPicture, BarHeightsAreRoundedInDoublePrecision) {
  // 671121 x 50 / 677900 is 49.5 exactly; in single precision the product falls just short.
  cv::Mat scores(1, 677900 + 671121, CV_8UC1, cv::Scalar(0));
  scores.colRange(677900, scores.cols).setTo(1);
  const cv::Mat picture = histogramPicture(scores);
  EXPECT_EQ(picture.at<uchar>(0, 0), 0);  // the fullest bar reaches the top
  EXPECT_EQ(picture.at<uchar>(0, 1), 0);  // cvRound(49.5) = 50 as well
}

TEST(HistogramPicture, BarsGrowFromTheBottomInProportion) {
  // 40 pixels score 10, 20 score 20, 1 scores 30: bars of 50, 25 and round(1.25) = 1.
  cv::Mat similarity(1, 61, CV_8UC1, cv::Scalar(10));
  similarity.colRange(40, 60) = 20;
  similarity.at<uchar>(0, 60) = 30;
  const cv::Mat picture = histogramPicture(similarity);
  EXPECT_EQ(cv::countNonZero(picture.col(10)), 0);
  EXPECT_EQ(cv::countNonZero(picture.col(20).rowRange(25, 50)), 0);
  EXPECT_EQ(cv::countNonZero(picture.col(20).rowRange(0, 25) != 255), 0);
  EXPECT_EQ(picture.at<uchar>(49, 30), 0);
  EXPECT_EQ(picture.at<uchar>(48, 30), 255);
  EXPECT_EQ(picture.at<uchar>(49, 31), 255);
}

TEST_F(Histogram, ClickChoosesTheThresholdAndStoresTheNorm) {
  openUniformCamera(200, 100, 50);
  hsv = {14, 191, 200};
  ScriptedKeyWait keys({}, clicksAt({{0, {255, 10}}}));
  Host host{"", texts, keys, windows};
  EXPECT_EQ(histogram(2, host), 255);
  EXPECT_EQ(crvena.threshold, 255);
  EXPECT_NEAR(crvena.hsvNorm, std::sqrt(14.0 * 14 + 191 * 191 + 200 * 200), 1e-9);
  EXPECT_EQ(keys.durations(), (std::vector<int>{33}));  // taken after the wait it came in
  EXPECT_EQ(box.x, -1);
  EXPECT_EQ(box.y, -1);
  EXPECT_FALSE(izmjena);
  // A uniform frame: the one full bar, at column 255 of the enlarged histogram.
  const cv::Mat shown = windows.lastShown("Histogram");
  for (int row : {0, 25, 49}) {
    EXPECT_EQ(shown.at<cv::Vec3b>(HistogramView::viewPointOf({255, row})), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(shown.at<cv::Vec3b>(HistogramView::viewPointOf({254, row})), cv::Vec3b::all(255));
  }
  EXPECT_EQ(windows.openWindows().count("Histogram"), 0u);
  EXPECT_EQ(zelena.threshold + plava.threshold + zuta.threshold, 0);
}

// Clicks on row 0 or column 0 of the histogram, and on the calibration picture (whose x could
// exceed 255), choose nothing; the picture's click is not kept for the next ball either.
TEST_F(Histogram, OnlyAValidClickOnTheHistogramChooses) {
  openUniformCamera(0, 200, 0);
  hsv = {85, 255, 200};
  const auto clicks = clicksAt({{0, {100, 0}}, {1, {0, 20}}, {2, {120, 30}}});
  ScriptedKeyWait keys({}, [&](int wait) {
    if (wait == 0) mouseClick(cv::EVENT_LBUTTONDOWN, 300, 40, 0, nullptr);
    clicks(wait);
  });
  Host host{"", texts, keys, windows};
  EXPECT_EQ(histogram(1, host), 120);
  EXPECT_EQ(keys.waits(), 3);
  EXPECT_EQ(zelena.threshold, 120);
  EXPECT_EQ(box.x, -1);
  EXPECT_FALSE(izmjena);
}

TEST_F(Histogram, KeyNBeforeAClickKeepsThePreviousThreshold) {
  openUniformCamera(0, 0, 200);
  hsv = {171, 255, 200};
  zuta.threshold = 77;
  ScriptedKeyWait keys({kKeyN}, clicksAt({{0, {100, 0}}}));
  Host host{"", texts, keys, windows};
  EXPECT_EQ(histogram(4, host), 77);
  EXPECT_EQ(zuta.threshold, 77);
  EXPECT_NEAR(zuta.hsvNorm, std::sqrt(171.0 * 171 + 255 * 255 + 200 * 200), 1e-9);
  // The click on row 0 chose nothing and is not left for the calibration picture.
  EXPECT_EQ(box.x, -1);
  EXPECT_FALSE(izmjena);
}

TEST_F(Histogram, IndexOutsideTheBallsStoresNothing) {
  openUniformCamera(200, 100, 50);
  hsv = {14, 191, 200};
  for (int index : {0, 5}) {
    ScriptedKeyWait keys({}, clicksAt({{0, {40, 5}}}));
    Host host{"", texts, keys, windows};
    EXPECT_EQ(histogram(index, host), 40);
  }
  for (int ball = 1; ball <= 4; ++ball) {
    EXPECT_EQ(ballRecord(ball).threshold, 0);
    EXPECT_EQ(ballRecord(ball).hsvNorm, 0);
  }
}

TEST_F(Histogram, NoFrameRefusesKeepsTheThresholdAndStoresTheColoursNorm) {
  // The calibration has just sampled a new colour into the record and the reference.
  plava.threshold = 150;
  plava.hsvNorm = 12.5;
  plava.h = 171, plava.s = 255, plava.v = 200;
  hsv = {171, 255, 200};
  ScriptedKeyWait keys;
  Host host{"", texts, keys, windows};
  bool refused = false;
  EXPECT_EQ(histogram(3, host, &refused), 150);
  EXPECT_TRUE(refused);
  EXPECT_EQ(plava.threshold, 150);
  EXPECT_DOUBLE_EQ(plava.hsvNorm, std::sqrt(171.0 * 171 + 255 * 255 + 200 * 200));
  EXPECT_EQ(keys.waits(), 0);
  EXPECT_TRUE(windows.calls().empty());
  EXPECT_FALSE(texts.text("textBox7").value_or("").empty());
}

TEST_F(Histogram, ScoresTheStillPictureNotTheSourcesNextFrame) {
  // The operator clicked in a picture of the ball's own colour; the source has moved on to
  // another colour. The histogram is the still picture's, as if the source still showed it.
  hsv = rgb_to_hsv({200, 100, 50});
  const cv::Mat still(48, 64, CV_8UC3, cv::Scalar(50, 100, 200));
  std::array<cv::Mat, 2> views;
  for (int run = 0; run < 2; ++run) {
    openUniformCamera(run == 0 ? 200 : 20, 100, run == 0 ? 50 : 220);
    ScriptedKeyWait keys({}, clicksAt({{0, {100, 10}}}));
    Host host{"", texts, keys, windows};
    EXPECT_EQ(histogram(2, host, nullptr, {30, 20}, run == 0 ? cv::Mat() : still), 100);
    views[run] = windows.lastShown("Histogram");
    if (run == 1) {
      EXPECT_EQ(capture.get(cv::CAP_PROP_POS_FRAMES), 0);  // nothing read from the source
    }
  }
  ASSERT_FALSE(views[0].empty());
  EXPECT_EQ(cv::norm(views[0], views[1], cv::NORM_INF), 0);
}

TEST(HistogramView, ClicksMapBackToTheirColumn) {
  // Every column round trips; the strips below the enlarged histogram stand for its bottom
  // row; above, left and right of the strips nothing is chosen.
  for (int column = 0; column < 256; ++column)
    for (int row : {0, 1, 49}) {
      const cv::Point view = HistogramView::viewPointOf({column, row});
      EXPECT_EQ(HistogramView::histogramPointAt(view), cv::Point(column, row)) << view;
      EXPECT_EQ(HistogramView::histogramPointAt(view + cv::Point(1, 1)), cv::Point(column, row));
    }
  const cv::Point bottom = HistogramView::viewPointOf({100, 49});
  EXPECT_EQ(HistogramView::histogramPointAt(bottom + cv::Point(0, 80)), cv::Point(100, 49));
  const cv::Point first = HistogramView::viewPointOf({0, 0}),
                  last = HistogramView::viewPointOf({255, 0});
  for (const cv::Point off : {first - cv::Point(0, 2), first - cv::Point(2, 0),
                              last + cv::Point(2, 0), bottom + cv::Point(0, 500)})
    EXPECT_FALSE(HistogramView::histogramPointAt(off)) << off;
}

TEST(HistogramView, SuggestsTheLowestScoreThatKeepsTheRestOut) {
  // Background scores up to 100 with a few strays at 180, the ball scoring 230 around the
  // click, another calibrated colour scoring as given.
  cv::Mat similarity(240, 320, CV_8UC1);
  cv::randu(similarity, 0, 101);
  for (int i = 0; i < 20; ++i) similarity.at<uchar>(10 + i, 300) = 180;
  cv::circle(similarity, {160, 120}, 15, cv::Scalar(230), cv::FILLED);
  struct Case {
    cv::Point sampled;
    std::vector<int> others;
    int suggested;
  };
  for (const Case& c : {Case{{160, 120}, {}, 101}, Case{{160, 120}, {40, 150}, 151},
                        Case{{160, 120}, {255}, -1}, Case{{-1, -1}, {}, 231}}) {
    EXPECT_EQ(suggestedThreshold(similarity, c.sampled, c.others), c.suggested) << c.sampled;
  }
}

TEST(HistogramView, MarksThePointerAndTheSuggestionAndCountsTheNeighbourhood) {
  cv::Mat similarity(240, 320, CV_8UC1, cv::Scalar(20));
  cv::circle(similarity, {160, 120}, 15, cv::Scalar(230), cv::FILLED);
  const HistogramView view(similarity, {160, 120}, cv::Scalar(0, 200, 0), 120);
  const cv::Mat plain = view.draw(-1), pointed = view.draw(60);
  const auto at = [](const cv::Mat& picture, int column, int row) {
    return picture.at<cv::Vec3b>(HistogramView::viewPointOf({column, row}));
  };
  // The suggestion's line crosses the histogram; the pointer's only once it is there.
  EXPECT_NE(at(plain, 120, 10), cv::Vec3b::all(255));
  EXPECT_EQ(at(plain, 60, 10), cv::Vec3b::all(255));
  EXPECT_NE(at(pointed, 60, 10), cv::Vec3b::all(255));
  // The neighbourhood's strip, in the ball's colour, has its bar at 230 and none at 20.
  const cv::Point strip = HistogramView::viewPointOf({230, 49}) + cv::Point(0, 94);  // its middle
  EXPECT_EQ(pointed.at<cv::Vec3b>(strip), cv::Vec3b(0, 200, 0));
  EXPECT_EQ(pointed.at<cv::Vec3b>(strip + cv::Point(-210 * 3, 0)), cv::Vec3b::all(255));
}
