// The operator window: its controls at start, its constructor and disposal, the preview, the
// guard on the buttons, and a tracking run on a generated dive.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <functional>
#include <opencv2/imgcodecs.hpp>

#include "form1.hpp"
#include "gui_support.hpp"
#include "pose_plot.hpp"
#include "position_view.hpp"
#include "trilateration.hpp"
#include "value_box.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { resetVisionState(); }
  void TearDown() override { resetVisionState(); }

  std::vector<bool> buttonsEnabled(const Form1& form) const {
    std::vector<bool> enabled;
    for (const char* button : {"button1", "button2", "button3"})
      enabled.push_back(form.findChild<QPushButton*>(button)->isEnabled());
    return enabled;
  }

  double number(const Form1& form, const char* box) const {
    const std::string text = textOf(form, box);
    EXPECT_FALSE(text.empty()) << box;
    return text.empty() ? std::nan("") : std::stod(text);
  }

  DiveCamera dive{40};
  RecordingWindows windows;
  ScriptedOperator operatorAt{windows, dive.ballCentres(), {200, 200, 200, 200}};
};

QRect placeOf(const Form1& form, const char* control) {
  return form.findChild<QWidget*>(control)->geometry();
}

}  // namespace

TEST_F(Form1Test, FreshWindowHasEmptyBoxesWhiteSwatchesAndEmptyStatus) {
  Form1 form(dive.source(), operatorAt, windows);
  EXPECT_EQ(form.windowTitle(), "Orvanta");
  // The designer's 880 x 717 and a column on the right for the precise position.
  EXPECT_EQ(form.size(), QSize(1180, 717));
  for (int i = 1; i <= 45; ++i) {
    const std::string box = "textBox" + std::to_string(i);
    EXPECT_EQ(textOf(form, box.c_str()), "") << box;
  }
  for (const char* box :
       {"preciseX", "preciseY", "preciseZ", "preciseHeading", "preciseRms", "preciseStatus"})
    EXPECT_EQ(textOf(form, box), "") << box;
  for (int i = 1; i <= 4; ++i) {
    const std::string swatch = "pictureBox" + std::to_string(i);
    EXPECT_EQ(swatchOf(form, swatch.c_str()), QColor(Qt::white)) << swatch;
  }
  EXPECT_EQ(buttonsEnabled(form), std::vector<bool>(3, true));
}

TEST_F(Form1Test, EveryControlCarriesItsDesignerName) {
  Form1 form(dive.source(), operatorAt, windows);
  for (int i = 1; i <= 93; ++i)
    EXPECT_NE(form.findChild<QLabel*>(QString("label%1").arg(i)), nullptr) << i;
  EXPECT_NE(form.findChild<QFrame*>("rectangleShape1"), nullptr);
  EXPECT_EQ(form.findChild<QPushButton*>("button1")->text(), "Start");
  EXPECT_EQ(form.findChild<QPushButton*>("button2")->text(), "Prikaz videa");
  EXPECT_EQ(form.findChild<QPushButton*>("button3")->text(), "Odabir slike");
  EXPECT_EQ(form.findChild<QLabel*>("label41")->text(), "Treća kugla");
  EXPECT_EQ(form.findChild<QLabel*>("label60")->text(), "Četvrta kugla");
  EXPECT_EQ(form.findChild<QLabel*>("label79")->text(), "Vrijeme proračuna");
  EXPECT_EQ(form.findChild<QLabel*>("label91")->text(), "filtrirana");
  EXPECT_EQ(form.findChild<QLabel*>("label85")->text(), "z [m]");
}

TEST_F(Form1Test, ControlsKeepTheirPlaces) {
  Form1 form(dive.source(), operatorAt, windows);
  EXPECT_EQ(placeOf(form, "button1"), QRect(223, 18, 82, 39));
  EXPECT_EQ(placeOf(form, "textBox7"), QRect(18, 83, 251, 39));
  EXPECT_EQ(placeOf(form, "rectangleShape1"), QRect(367, 3, 215, 86));
  EXPECT_EQ(placeOf(form, "textBox45"), QRect(465, 61, 64, 20));
  EXPECT_EQ(placeOf(form, "textBox38"), QRect(777, 18, 64, 20));
  // Rows: red box of row 1, value box of row 2, threshold of row 3, filtered range of row 4.
  EXPECT_EQ(placeOf(form, "textBox1"), QRect(100, 191, 64, 20));
  EXPECT_EQ(placeOf(form, "textBox11"), QRect(334, 269 + 137, 64, 20));
  EXPECT_EQ(placeOf(form, "textBox22"), QRect(604, 191 + 275, 64, 20));
  EXPECT_EQ(placeOf(form, "textBox42"), QRect(686, 269 + 409, 64, 20));
  EXPECT_EQ(placeOf(form, "pictureBox4").size(), QSize(60, 26));
  // The precise block and the top view stand right of everything the designer placed and
  // cover no control.
  for (const char* added : {"preciseFrame", "positionView"}) {
    const QRect place = placeOf(form, added);
    EXPECT_GE(place.left(), 880) << added;
    EXPECT_LE(place.right(), form.width()) << added;
    for (QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      const QString name = control->objectName();
      if (name == added || name.startsWith("precise")) continue;
      EXPECT_FALSE(place.intersects(control->geometry())) << added << " " << name.toStdString();
    }
  }
}

TEST_F(Form1Test, EveryValueBoxShowsTheLongestNumberWholeFromItsStart) {
  Form1 form(dive.source(), operatorAt, windows);
  // The longest text each box's number format makes.
  const std::map<QString, QString> precise = {
      {"preciseX", "-10.0000"},      {"preciseY", "-10.0000"},  {"preciseZ", "-10.0000"},
      {"preciseHeading", "-179.99"}, {"preciseRms", "999.999"}, {"preciseLink", "9999999"}};
  const auto boxes = form.findChildren<QLineEdit*>();
  ASSERT_EQ(boxes.size(), 44 + 7);  // textBox1..45 but the status, and the precise block
  for (QLineEdit* box : boxes) {
    if (box->objectName() == "preciseStatus") continue;
    const std::string name = box->objectName().toStdString();
    const QString longest =
        precise.count(box->objectName()) ? precise.at(box->objectName()) : "-6.47063e-002";
    const double designed = box->font().pointSizeF();
    form.setText(name, longest.toStdString());
    EXPECT_EQ(box->text(), longest) << name;
    EXPECT_EQ(box->cursorPosition(), 0) << name;
    EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(longest), textRoom(*box)) << name;
    EXPECT_GE(box->font().pointSizeF(), 7) << name;
    form.setText(name, "1.");  // a short text is back in the box's own font
    EXPECT_EQ(box->font().pointSizeF(), designed) << name;
    EXPECT_EQ(box->font().stretch(), QFont::Unstretched) << name;
  }
  // A status too long for its box at any legible size is whole in the tool tip.
  const std::string status(200, 'x');
  form.setText("preciseStatus", status);
  EXPECT_EQ(form.findChild<QLineEdit*>("preciseStatus")->toolTip().toStdString(), status);
}

TEST_F(Form1Test, TheHintLineSaysWhatEachActivityExpectsAndHowItEnds) {
  Form1 form(dive.source(), operatorAt, windows);
  const std::string idle = textOf(form, "hintLine");
  EXPECT_NE(idle.find(dive.source()), std::string::npos) << idle;
  for (const char* button : {"button2", "button3", "button1"}) {
    std::string during;
    operatorAt.onWait = [&] { during = textOf(form, "hintLine"); };
    // The calibration runs through, so that the tracking has colours to look for.
    operatorAt.pressN = [&] { return std::string(button) != "button3"; };
    click(form, button);
    EXPECT_NE(during.find("Tipka n"), std::string::npos) << button << ": " << during;
    EXPECT_NE(during, idle) << button;
  }
}

TEST_F(Form1Test, ASourceThatCannotBeOpenedIsNamedAtStartAndAtEveryRefusal) {
  const std::string missing = (dive.folder / "missing_%05d.png").string();
  Form1 form(missing, operatorAt, windows);
  EXPECT_EQ(textOf(form, "textBox7"), "");
  const auto namesTheSource = [&] {
    return textOf(form, "hintLine").find("„" + missing + "“ nije moguće otvoriti") !=
           std::string::npos;
  };
  EXPECT_TRUE(namesTheSource()) << textOf(form, "hintLine");
  for (const char* button : {"button2", "button3", "button1"}) {
    click(form, button);
    EXPECT_TRUE(namesTheSource()) << button << ": " << textOf(form, "hintLine");
    if (std::string(button) == "button3") {
      EXPECT_EQ(textOf(form, "textBox7"), "Kamera nije dostupna!");
    }
  }
}

TEST_F(Form1Test, AStatusTooLongForTheBoxIsWholeInItsToolTip) {
  Form1 form(dive.source(), operatorAt, windows);
  auto* status = form.findChild<QPlainTextEdit*>("textBox7");
  form.setText("textBox7", "Klikni na Start!");
  EXPECT_TRUE(status->toolTip().isEmpty());
  const std::string message = "Kalibracija nije spremljena: " + std::string(120, 'x');
  form.setText("textBox7", message);
  EXPECT_EQ(status->toolTip().toStdString(), message);
}

TEST_F(Form1Test, ConstructorEmptiesTheClickSlotAndZeroesTheTrackbars) {
  box = {5, 6, 7, 8};
  for (int* value : {&high_switch_value, &highInt, &low_switch_value_hough, &lowIntHough,
                     &switch_value_median, &IntMedian})
    *value = 4;
  Form1 form(dive.source(), operatorAt, windows);
  EXPECT_EQ(box, cv::Rect(-1, -1, 0, 0));
  for (int value : {high_switch_value, highInt, low_switch_value_hough, lowIntHough,
                    switch_value_median, IntMedian})
    EXPECT_EQ(value, 0);
}

TEST_F(Form1Test, DisposalReleasesTheCameraAndClosesThePictureWindows) {
  {
    Form1 form(dive.source(), operatorAt, windows);
    ASSERT_TRUE(capture.open(dive.source(), cv::CAP_IMAGES));
  }
  EXPECT_FALSE(capture.isOpened());
  const auto& calls = windows.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "destroyWindow Video"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "destroyWindow RGB prikaz slike"), calls.end());
}

TEST_F(Form1Test, PreviewShowsFramesUntilKeyNAndKeepsTheCameraOpen) {
  Form1 form(dive.source(), operatorAt, windows);
  int waits = 0;
  operatorAt.pressN = [&] { return ++waits == 3; };
  click(form, "button2");
  EXPECT_EQ(operatorAt.durations, std::vector<int>(3, 10));
  EXPECT_TRUE(capture.isOpened());
  // Three passes of two pictures: picture 5 shown last, picture 6 kept.
  EXPECT_EQ(cv::norm(windows.lastShown("Video"), cv::imread(dive.picture(5)), cv::NORM_INF), 0);
  EXPECT_EQ(cv::norm(image, cv::imread(dive.picture(6)), cv::NORM_INF), 0);
  EXPECT_EQ(windows.calls().front(), "destroyWindow RGB prikaz slike");
  EXPECT_EQ(windows.calls().back(), "destroyWindow Video");
}

TEST_F(Form1Test, TheOperatorEndsAnActivityFromEitherWindow) {
  // "n" or Esc typed in the operator window, the operator window closed, an image window closed:
  // each ends the activity as "n" in an image window does.
  struct Case {
    const char* what;
    const char* button;
    std::function<void(Form1&, RecordingWindows&)> act;
    bool windowStays;
  };
  const std::vector<Case> cases = {
      {"n in the operator window", "button2",
       [](Form1& form, RecordingWindows&) {
         QKeyEvent n(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n");
         QApplication::sendEvent(&form, &n);
       },
       true},
      {"Esc in the operator window", "button1",
       [](Form1& form, RecordingWindows&) {
         QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(&form, &esc);
       },
       true},
      {"the operator window closed", "button1",
       [](Form1& form, RecordingWindows&) { form.close(); }, false},
      {"the picture window closed", "button3",
       [](Form1&, RecordingWindows& w) { w.closeByOperator("RGB prikaz slike"); }, true},
      {"a detection window closed", "button1",
       [](Form1&, RecordingWindows& w) { w.closeByOperator("Canny & Gaus"); }, true},
  };
  for (const Case& c : cases) {
    resetVisionState();
    RecordingWindows shown;
    ScriptedOperator op{shown, dive.ballCentres(), {200, 200, 200, 200}};
    Form1 form(dive.source(), op, shown);
    form.show();
    const bool tracking = std::string(c.button) == "button1";
    if (tracking) click(form, "button3");  // calibrated first
    int waits = 0;
    op.onWait = [&] {
      if (++waits == 3) c.act(form, shown);
    };
    click(form, c.button);
    // Ended at that wait; from inside the histogram, its own wait ends it and the
    // calibration's next one ends the calibration.
    EXPECT_GE(waits, 3) << c.what;
    EXPECT_LE(waits, 4) << c.what;
    EXPECT_EQ(form.isVisible(), c.windowStays) << c.what;
    if (std::string(c.button) != "button2") {  // the preview keeps the camera for the calibration
      EXPECT_TRUE(shown.openWindows().empty()) << c.what;
      EXPECT_FALSE(capture.isOpened()) << c.what;
    }
    EXPECT_EQ(buttonsEnabled(form), std::vector<bool>(3, true)) << c.what;
  }
}

TEST_F(Form1Test, PreviewWithoutCameraClosesAtOnce) {
  Form1 form((dive.folder / "none_%05d.png").string(), operatorAt, windows);
  click(form, "button2");
  EXPECT_TRUE(operatorAt.durations.empty());
  EXPECT_TRUE(windows.openWindows().empty());
}

TEST_F(Form1Test, ButtonsAreDisabledDuringEachActivity) {
  Form1 form(dive.source(), operatorAt, windows);
  std::vector<std::vector<bool>> seen;
  operatorAt.onWait = [&] { seen.push_back(buttonsEnabled(form)); };
  operatorAt.pressN = [&] { return windows.openWindows().count("Video") > 0; };
  click(form, "button2");
  operatorAt.pressN = nullptr;
  click(form, "button3");
  click(form, "button1");
  ASSERT_GT(seen.size(), 20u);
  for (const auto& enabled : seen) EXPECT_EQ(enabled, std::vector<bool>(3, false));
  EXPECT_EQ(buttonsEnabled(form), std::vector<bool>(3, true));
}

TEST_F(Form1Test, StartOnADiveFillsTheMeasurementBoxes) {
  Form1 form(dive.source(), operatorAt, windows);
  click(form, "button3");
  click(form, "button1");
  EXPECT_EQ(textOf(form, "textBox7"), "");

  // The camera model's focal length (320 x 240) and the balls' radius bound what each
  // ball's apparent radius can be over the dive, give or take a pixel of detection.
  constexpr double focal = 489.55087;
  double nearest = 1e9, farthest = 0;
  for (const scene::Pose& pose : dive.poses)
    for (double d : scene::trueDistances(pose.position)) {
      nearest = std::min(nearest, d);
      farthest = std::max(farthest, d);
    }
  const double smallest = focal * site::kDefaultBallRadius / farthest - 1.5;
  const double largest = focal * site::kDefaultBallRadius / nearest + 1.5;
  const char* radiusBoxes[] = {"textBox14", "textBox9", "textBox21", "textBox30"};
  const char* rangeBoxes[] = {"textBox15", "textBox8", "textBox20", "textBox29"};
  const char* filteredBoxes[] = {"textBox39", "textBox40", "textBox41", "textBox42"};
  cv::Mat filtered(4, 1, CV_64FC1);
  for (int i = 0; i < 4; ++i) {
    const double radius = number(form, radiusBoxes[i]);
    EXPECT_EQ(radius, std::round(radius));
    EXPECT_GE(radius, smallest);
    EXPECT_LE(radius, largest);
    EXPECT_NEAR(number(form, rangeBoxes[i]), 24.6 / radius, 1e-5);  // 41 px at 0.6 m
    filtered.at<double>(i) = number(form, filteredBoxes[i]);
    EXPECT_GE(filtered.at<double>(i), 24.6 / largest);
    EXPECT_LE(filtered.at<double>(i), 24.6 / smallest);
  }

  // The position shown is the solution for the filtered ranges shown, near the dive.
  const cv::Mat landmarks =
      (cv::Mat_<double>(3, 4) << 0, 0.7f, 0.7f, 0, 0, 0, -0.51f, -0.51f, 0, 0, 0, 0);
  const cv::Vec3d expected = trilaterate(filtered, landmarks);
  const double x = number(form, "textBox43"), y = number(form, "textBox44");
  EXPECT_NEAR(x, expected[0], 1e-4);
  EXPECT_NEAR(y, expected[1], 1e-4);
  EXPECT_NEAR(number(form, "textBox45"), expected[2], 1e-4);
  EXPECT_NEAR(x, 0.35, 0.5);
  EXPECT_NEAR(y, -0.255, 0.5);
  EXPECT_NEAR(std::abs(expected[2]), 1.8, 0.6);
  EXPECT_GE(number(form, "textBox38"), 0);

  const auto* view = form.findChild<PositionView*>("positionView");
  ASSERT_FALSE(view->trail().empty());
  EXPECT_NEAR(view->trail().back().x(), x, 1e-5);
  EXPECT_NEAR(view->trail().back().y(), y, 1e-5);

  // The precise block holds the last picture's pose, to the centimetre and better; its track
  // ends there.
  const cv::Vec3d last = dive.poses.back().position;
  EXPECT_NEAR(number(form, "preciseX"), last[0], 0.01);
  EXPECT_NEAR(number(form, "preciseY"), last[1], 0.01);
  EXPECT_NEAR(number(form, "preciseZ"), last[2], 0.01);
  EXPECT_NEAR(number(form, "preciseHeading"), scene::cameraHeadingDegrees(dive.poses.back()), 0.2);
  // Four balls, well measured: the status says so with the quality, on green.
  EXPECT_TRUE(textOf(form, "preciseStatus").starts_with("4 kugle, kvaliteta "))
      << textOf(form, "preciseStatus");
  EXPECT_EQ(form.findChild<QLineEdit*>("preciseStatus")->palette().color(QPalette::Base),
            QColor(198, 239, 206));
  // The values stay, and the hint line says that the source has ended.
  EXPECT_TRUE(textOf(form, "hintLine").starts_with("Izvor je završio nakon "))
      << textOf(form, "hintLine");
  ASSERT_FALSE(view->preciseTrack().empty());
  EXPECT_NEAR(view->preciseTrack().back().x(), number(form, "preciseX"), 1e-4);
  EXPECT_NEAR(view->preciseTrack().back().y(), number(form, "preciseY"), 1e-4);
  // The plot over time ends at the same pose.
  const auto* plot = form.findChild<PosePlot*>("posePlot");
  ASSERT_FALSE(plot->samples().empty());
  const PosePlot::Values& plotted = plot->samples().back().values;
  const char* boxes[] = {"preciseX", "preciseY", "preciseZ", "preciseHeading"};
  for (int i = 0; i < PosePlot::kStrips; ++i) EXPECT_NEAR(plotted[i], number(form, boxes[i]), 0.01);
  click(form, "clearTrack");
  EXPECT_TRUE(view->preciseTrack().empty());
  EXPECT_TRUE(view->trail().empty());
  EXPECT_TRUE(plot->samples().empty());
}

TEST_F(Form1Test, TrackbarsTunedDuringARunAreSavedAndRestored) {
  const Session session{(dive.folder / "calibration.json").string()};
  std::string error;
  ASSERT_TRUE(scene::writeCalibration(session.calibrationPath, cv::imread(dive.picture(1)),
                                      dive.poses[0], dive.options, 200, &error))
      << error;
  {
    Form1 form(dive.source(), operatorAt, windows, session);
    EXPECT_EQ(textOf(form, "textBox13"), "200.");  // the loaded rows are shown
    EXPECT_NE(swatchOf(form, "pictureBox3"), QColor(Qt::white));
    operatorAt.onWait = [&] {
      windows.moveTrackbar("Median", "Par", 2);
      windows.moveTrackbar("Hough Detection", "Par1", 3);
    };
    click(form, "button1");  // calibrated from the file: runs at once
    EXPECT_FALSE(textOf(form, "textBox14").empty());
  }
  resetVisionState();
  Form1 restarted(dive.source(), operatorAt, windows, session);
  EXPECT_EQ(switch_value_median, 2);
  EXPECT_EQ(IntMedian, 2);
  EXPECT_EQ(high_switch_value_hough, 3);
  EXPECT_EQ(highIntHough, 3);
  EXPECT_EQ(lowIntHough, 0);
}
