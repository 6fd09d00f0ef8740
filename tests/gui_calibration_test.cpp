// The colour calibration driven from the operator window: clicks at the balls of a generated
// scene, thresholds on the histogram, and the saved calibration of a session.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <sstream>

#include "colour.hpp"
#include "detection.hpp"
#include "form1.hpp"
#include "gui_support.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

struct RowBoxes {
  const char *red, *green, *blue, *hue, *saturation, *value, *threshold, *swatch;
};
constexpr RowBoxes kRowBoxes[] = {
    {"textBox1", "textBox2", "textBox3", "textBox6", "textBox5", "textBox4", "textBox13",
     "pictureBox1"},
    {"textBox19", "textBox18", "textBox17", "textBox16", "textBox12", "textBox11", "textBox10",
     "pictureBox2"},
    {"textBox28", "textBox27", "textBox26", "textBox25", "textBox24", "textBox23", "textBox22",
     "pictureBox3"},
    {"textBox37", "textBox36", "textBox35", "textBox34", "textBox33", "textBox32", "textBox31",
     "pictureBox4"},
};
constexpr std::array<int, 4> kThresholds = {181, 192, 203, 214};

std::string fileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

class Calibration : public ::testing::Test {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }

  // The pixel the operator's click on ball 1..4 samples in picture number `number`.
  cv::Vec3b sampled(int ball, int number = 1) const {
    const cv::Point at = dive.ballCentres()[ball - 1];
    return cv::imread(dive.picture(number)).at<cv::Vec3b>(at.y, at.x);
  }

  void expectRowCalibrated(const Form1& form, int ball, const cv::Vec3b& bgr) const {
    SCOPED_TRACE("ball " + std::to_string(ball));
    const RowBoxes& row = kRowBoxes[ball - 1];
    const hsv_color expected = rgb_to_hsv({bgr[2], bgr[1], bgr[0]});
    EXPECT_EQ(textOf(form, row.red), shown(bgr[2]));
    EXPECT_EQ(textOf(form, row.green), shown(bgr[1]));
    EXPECT_EQ(textOf(form, row.blue), shown(bgr[0]));
    EXPECT_EQ(textOf(form, row.hue), shown(expected.h));
    EXPECT_EQ(textOf(form, row.saturation), shown(expected.s));
    EXPECT_EQ(textOf(form, row.value), shown(expected.v));
    EXPECT_EQ(textOf(form, row.threshold), shown(kThresholds[ball - 1]));
    EXPECT_EQ(swatchOf(form, row.swatch), QColor(bgr[2], bgr[1], bgr[0]));
    const circles& record = ballRecord(ball);
    using Triple = std::array<int, 3>;
    EXPECT_EQ((Triple{record.r, record.g, record.b}), (Triple{bgr[2], bgr[1], bgr[0]}));
    EXPECT_EQ((Triple{record.h, record.s, record.v}), (Triple{expected.h, expected.s, expected.v}));
    EXPECT_EQ(record.threshold, kThresholds[ball - 1]);
    EXPECT_NEAR(record.hsvNorm,
                std::sqrt(double(expected.h * expected.h + expected.s * expected.s +
                                 expected.v * expected.v)),
                1e-9);
  }

  void expectRowEmpty(const Form1& form, int ball) const {
    const RowBoxes& row = kRowBoxes[ball - 1];
    for (const char* box :
         {row.red, row.green, row.blue, row.hue, row.saturation, row.value, row.threshold})
      EXPECT_EQ(textOf(form, box), "") << box;
    EXPECT_EQ(swatchOf(form, row.swatch), QColor(Qt::white));
    EXPECT_EQ(ballRecord(ball).hsvNorm, 0);
  }

  DiveCamera dive{8};
  RecordingWindows windows;
  ScriptedOperator operatorAt{windows, dive.ballCentres(), kThresholds};
};

}  // namespace

TEST_F(Calibration, FourClicksAndFourThresholdsFillEveryRow) {
  Form1 form(dive.source(), operatorAt, windows);
  std::vector<std::string> prompts;
  operatorAt.onWait = [&] {
    const std::string status = textOf(form, "textBox7");
    if (prompts.empty() || prompts.back() != status) prompts.push_back(status);
  };
  click(form, "button3");

  for (int ball = 1; ball <= 4; ++ball) expectRowCalibrated(form, ball, sampled(ball));
  EXPECT_EQ(textOf(form, "textBox7"), "Klikni na Start!");
  const std::vector<std::string> expected{"Klikni na zelenu!",
                                          "Odaberi treshold!",
                                          "Klikni na crvenu!",
                                          "Odaberi treshold!",
                                          "",
                                          "Klikni na plavu!",
                                          "Odaberi treshold!",
                                          "",
                                          "Klikni na žutu!",
                                          "Odaberi treshold!",
                                          "Klikni na Start!"};
  EXPECT_EQ(prompts, expected);
  EXPECT_TRUE(odabran_piksel);
  EXPECT_EQ(brojOdabranihBoja, 4);
  EXPECT_FALSE(capture.isOpened());
  EXPECT_TRUE(windows.openWindows().empty());
  EXPECT_TRUE(std::all_of(operatorAt.durations.begin(), operatorAt.durations.end(),
                          [](int ms) { return ms == 33; }));
}

TEST_F(Calibration, KeyNAtTheRedPromptLeavesOnlyGreen) {
  Form1 form(dive.source(), operatorAt, windows);
  operatorAt.pressN = [&] { return textOf(form, "textBox7") == "Klikni na crvenu!"; };
  click(form, "button3");

  expectRowCalibrated(form, 1, sampled(1));
  for (int ball = 2; ball <= 4; ++ball) expectRowEmpty(form, ball);
  EXPECT_EQ(textOf(form, "textBox7"), "Klikni na crvenu!");
  EXPECT_EQ(textOf(form, "hintLine"),
            "Kalibracija je završena tipkom n; kalibrirano kugli: 1 od 4.");
  EXPECT_TRUE(odabran_piksel);
  EXPECT_FALSE(capture.isOpened());
  EXPECT_TRUE(windows.openWindows().empty());
}

// n while the histogram waits ends that ball's choice: the ball keeps what it had, its colour
// too (here the saved file's red), and the calibration goes on with the next ball.
TEST_F(Calibration, KeyNInTheHistogramKeepsTheBallsPreviousColour) {
  const Session session{(dive.folder / "calibration.json").string()};
  std::ofstream(session.calibrationPath) << R"({"red": {"rgb": [1, 2, 3], "threshold": 9}})";
  Form1 form(dive.source(), operatorAt, windows, session);
  operatorAt.pressN = [&] {
    return brojOdabranihBoja == 2 && windows.openWindows().count("Histogram") > 0;
  };
  click(form, "button3");
  expectRowCalibrated(form, 1, sampled(1));
  EXPECT_EQ(textOf(form, "textBox19"), shown(1));  // red's r, as loaded
  EXPECT_EQ(textOf(form, "textBox10"), shown(9));  // and its threshold
  EXPECT_EQ(crvena.b, 3);
  EXPECT_EQ(crvena.threshold, 9);
  EXPECT_NE(fileContents(session.calibrationPath).find("\"threshold\": 9"), std::string::npos)
      << fileContents(session.calibrationPath);
}

TEST_F(Calibration, SamplesThePreviewsStillPicture) {
  Form1 form(dive.source(), operatorAt, windows);
  operatorAt.pressN = [&] { return windows.openWindows().count("Video") > 0; };
  click(form, "button2");  // one pass: picture 1 shown, picture 2 kept
  operatorAt.pressN = nullptr;
  click(form, "button3");
  for (int ball = 1; ball <= 4; ++ball) expectRowCalibrated(form, ball, sampled(ball, 2));
}

TEST_F(Calibration, AfterAPreviewRanTheFileToItsEndTheCalibrationKeepsToTheStillPicture) {
  // The preview read the whole sequence, then the files went: each ball is sampled and its
  // histogram scored on the still picture, the last one shown, without reading the source.
  Form1 form(dive.source(), operatorAt, windows);
  click(form, "button2");
  std::array<cv::Vec3b, 4> expected;
  for (int ball = 1; ball <= 4; ++ball) expected[ball - 1] = sampled(ball, 8);
  std::filesystem::remove_all(dive.folder);
  click(form, "button3");
  for (int ball = 1; ball <= 4; ++ball) expectRowCalibrated(form, ball, expected[ball - 1]);
  EXPECT_EQ(textOf(form, "textBox7"), "Klikni na Start!");
  EXPECT_TRUE(windows.openWindows().empty());
}

TEST_F(Calibration, WithoutCameraReportsAndStaysIdle) {
  Form1 form((dive.folder / "none_%05d.png").string(), operatorAt, windows);
  click(form, "button3");
  EXPECT_EQ(textOf(form, "textBox7"), "Kamera nije dostupna!");
  EXPECT_TRUE(operatorAt.durations.empty());
  EXPECT_TRUE(windows.calls().empty());
  EXPECT_FALSE(odabran_piksel);
}

TEST_F(Calibration, SavedCalibrationLoadsBackIdentical) {
  const Session session{(dive.folder / "calibration.json").string()};
  std::array<circles, 4> calibrated;
  {
    Form1 form(dive.source(), operatorAt, windows, session);
    click(form, "button3");
    for (int ball = 1; ball <= 4; ++ball) calibrated[ball - 1] = ballRecord(ball);
  }
  resetVisionState();
  Form1 restarted(dive.source(), operatorAt, windows, session);
  EXPECT_TRUE(odabran_piksel);
  EXPECT_NE(textOf(restarted, "hintLine").find("Učitana kalibracija: „" + session.calibrationPath),
            std::string::npos);
  for (int ball = 1; ball <= 4; ++ball) {
    const cv::Vec3b bgr(calibrated[ball - 1].b, calibrated[ball - 1].g, calibrated[ball - 1].r);
    expectRowCalibrated(restarted, ball, bgr);
  }
  EXPECT_EQ(textOf(restarted, "textBox7"), "");
}

TEST_F(Calibration, EachChosenThresholdIsSaved) {
  const Session session{(dive.folder / "calibration.json").string()};
  {
    Form1 form(dive.source(), operatorAt, windows, session);
    operatorAt.pressN = [&] { return textOf(form, "textBox7") == "Klikni na crvenu!"; };
    click(form, "button3");
  }
  resetVisionState();
  Form1 restarted(dive.source(), operatorAt, windows, session);
  expectRowCalibrated(restarted, 1, sampled(1));
  expectRowEmpty(restarted, 2);
  for (const auto& entry : std::filesystem::directory_iterator(dive.folder)) {
    const std::string file = entry.path().filename().string();
    EXPECT_TRUE(file.starts_with("frame_") || file == "truth.csv" || file == "calibration.json")
        << "left behind: " << file;
  }
}

// The save at the end of a tracking run finds the file changed since the calibration saved it.
TEST_F(Calibration, AFileChangedByAnotherProgramKeepsItsEntriesAndIsReported) {
  const Session session{(dive.folder / "calibration.json").string()};
  Form1 form(dive.source(), operatorAt, windows, session);
  click(form, "button3");
  // Four saves, each finding the file as the one before left it: nothing to report.
  EXPECT_EQ(textOf(form, "hintLine").find("drugi program"), std::string::npos)
      << textOf(form, "hintLine");
  std::string text = fileContents(session.calibrationPath);
  text.insert(text.find('{') + 1, R"("ball_radius": 0.06, "operator": "Ana",)");
  std::ofstream(session.calibrationPath) << text;
  click(form, "button1");
  const std::string hint = textOf(form, "hintLine");
  EXPECT_NE(hint.find("drugi program"), std::string::npos) << hint;
  const std::string saved = fileContents(session.calibrationPath);
  EXPECT_NE(saved.find("\"ball_radius\": 0.06"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"operator\": \"Ana\""), std::string::npos) << saved;
  // Said once: the next save finds the file as this run left it.
  click(form, "button1");
  EXPECT_EQ(textOf(form, "hintLine").find("drugi program"), std::string::npos);
}

TEST_F(Calibration, CorruptFileIsReportedAndLeftUntouched) {
  const Session session{(dive.folder / "calibration.json").string()};
  const std::string corrupt = "{\"green\": {\"rgb\": [1, 2";
  std::ofstream(session.calibrationPath) << corrupt;
  Form1 form(dive.source(), operatorAt, windows, session);
  // Said in the hint line; the status box starts empty.
  const std::string hint = textOf(form, "hintLine");
  EXPECT_NE(hint.find("calibration.json"), std::string::npos) << hint;
  EXPECT_NE(hint.find("neće mijenjati"), std::string::npos) << hint;
  EXPECT_EQ(textOf(form, "textBox7"), "");
  EXPECT_FALSE(odabran_piksel);
  for (int ball = 1; ball <= 4; ++ball) expectRowEmpty(form, ball);
  click(form, "button1");  // refused: nothing calibrated, so nothing is saved over the file
  EXPECT_EQ(fileContents(session.calibrationPath), corrupt);
  // A whole calibration in this run does not write over it either.
  click(form, "button3");
  EXPECT_TRUE(odabran_piksel);
  EXPECT_NE(textOf(form, "hintLine").find("Nije spremljena"), std::string::npos)
      << textOf(form, "hintLine");
  click(form, "button1");
  EXPECT_EQ(fileContents(session.calibrationPath), corrupt);
}

TEST_F(Calibration, MissingFileStartsUncalibratedWithoutMessage) {
  const Session session{(dive.folder / "new.json").string()};
  Form1 form(dive.source(), operatorAt, windows, session);
  EXPECT_EQ(textOf(form, "textBox7"), "");
  EXPECT_FALSE(odabran_piksel);
  EXPECT_FALSE(std::filesystem::exists(session.calibrationPath));
}

TEST_F(Calibration, AFailedSaveStaysInSightUntilASaveSucceeds) {
  const std::filesystem::path folder = dive.folder / "not yet";
  const Session session{(folder / "calibration.json").string()};
  Form1 form(dive.source(), operatorAt, windows, session);
  const auto failureShown = [&] {
    return textOf(form, "hintLine").find("Kalibracija nije spremljena") != std::string::npos;
  };
  click(form, "button3");
  EXPECT_TRUE(failureShown()) << textOf(form, "hintLine");
  click(form, "button2");  // the preview saves nothing
  EXPECT_TRUE(failureShown()) << textOf(form, "hintLine");
  std::filesystem::create_directory(folder);
  click(form, "button1");  // the run's end saves
  EXPECT_FALSE(failureShown()) << textOf(form, "hintLine");
  EXPECT_TRUE(std::filesystem::exists(session.calibrationPath));
}

TEST_F(Calibration, TheSameColourTwiceIsWarnedAndOneBallIsRedoneFromItsSwatch) {
  operatorAt.balls[1] = operatorAt.balls[0];  // red clicked on the green ball
  Form1 form(dive.source(), operatorAt, windows);
  click(form, "button3");
  std::string hint = textOf(form, "hintLine");
  EXPECT_NE(hint.find("Pozor: boje kugli su preslične"), std::string::npos) << hint;
  EXPECT_NE(hint.find("zelene i crvene"), std::string::npos) << hint;

  // A click on red's swatch asks for red alone; the others keep their colours.
  operatorAt.balls[1] = dive.ballCentres()[1];
  operatorAt.redo(2);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(form.findChild<QWidget*>("pictureBox2"), &press);
  for (int ball = 1; ball <= 4; ++ball) expectRowCalibrated(form, ball, sampled(ball));
  EXPECT_EQ(brojOdabranihBoja, 4);
  hint = textOf(form, "hintLine");
  EXPECT_TRUE(hint.starts_with("Boja crvene kugle je ponovno odabrana.")) << hint;
  EXPECT_EQ(hint.find("preslične"), std::string::npos) << hint;
  EXPECT_TRUE(windows.openWindows().empty());
}
