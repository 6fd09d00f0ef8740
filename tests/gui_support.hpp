// Helpers of the operator-window tests: a scripted operator, the generated dive as camera,
// and reading the window's controls.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <opencv2/highgui.hpp>
#include <string>
#include <vector>

#include "histogram_view.hpp"
#include "scene.hpp"
#include "state.hpp"
#include "support/recording_windows.hpp"
#include "support/vision_state.hpp"

namespace OrvantaTest {

inline constexpr int kKeyN = 'n';

// Plays the operator at every key wait: clicks the next ball in the calibration picture or
// the threshold in the histogram (through the window's mouse callback, as highgui would), and
// presses "n" when told to.
class ScriptedOperator : public Orvanta::KeyWait {
 public:
  ScriptedOperator(RecordingWindows& windows, std::array<cv::Point, 4> balls,
                   std::array<int, 4> thresholds)
      : balls(balls), windows_(windows), thresholds_(thresholds) {}

  std::array<cv::Point, 4> balls;  // where the operator clicks each ball

  std::function<bool()> pressN;  // asked at every wait: press "n" now?
  std::function<void()> onWait;  // runs at every wait, before anything else
  int histogramRow = 25;         // row of the histogram picture clicked

  int wait(int ms) override {
    durations.push_back(ms);
    if (onWait) onWait();
    if (pressN && pressN()) return kKeyN;
    using namespace Orvanta;
    if (windows_.openWindows().count("Histogram")) {
      if (thresholdsClicked_ < brojOdabranihBoja) {
        const cv::Point view =
            Orvanta::HistogramView::viewPointOf({thresholds_[brojOdabranihBoja - 1], histogramRow});
        windows_.mouse("Histogram", cv::EVENT_LBUTTONDOWN, view.x, view.y);
        thresholdsClicked_ = brojOdabranihBoja;
      }
    } else if (windows_.openWindows().count(name) && ballsClicked_ == brojOdabranihBoja &&
               ballsClicked_ < 4) {
      // The operator reads the prompt during one wait and clicks during the next.
      if (!readPrompt_) {
        readPrompt_ = true;
        return -1;
      }
      readPrompt_ = false;
      const cv::Point at = balls[ballsClicked_++];
      windows_.mouse(name, cv::EVENT_MOUSEMOVE, at.x, at.y);  // passing over is no click
      windows_.mouse(name, cv::EVENT_LBUTTONDOWN, at.x, at.y);
    }
    return -1;
  }

  std::vector<int> durations;  // ms asked, per wait

  // From now on the operator takes ball 1..4 as the next to click, as when it is calibrated
  // alone.
  void redo(int ball) { ballsClicked_ = thresholdsClicked_ = ball - 1; }

 private:
  RecordingWindows& windows_;
  std::array<int, 4> thresholds_;
  int ballsClicked_ = 0;
  int thresholdsClicked_ = 0;
  bool readPrompt_ = false;
};

// The generated dive as the camera: an image sequence in the test's scratch folder.
struct DiveCamera {
  explicit DiveCamera(int frames = 40) : poses(Orvanta::scene::dive(frames)) {
    std::string error;
    if (!Orvanta::scene::writeSequence(folder.string(), poses, options, &error))
      ADD_FAILURE() << error;
  }
  std::string source() const { return (folder / "frame_%05d.png").string(); }
  std::string picture(int number) const {
    char file[32];
    std::snprintf(file, sizeof file, "frame_%05d.png", number);
    return (folder / file).string();
  }
  // Where the operator clicks each ball in the first picture: its projected centre.
  std::array<cv::Point, 4> ballCentres() const {
    std::array<cv::Point, 4> centres;
    for (int ball = 1; ball <= 4; ++ball) {
      const cv::Point2d at = Orvanta::scene::projectBall(poses[0], ball, options);
      centres[ball - 1] = {int(std::lround(at.x)), int(std::lround(at.y))};
    }
    return centres;
  }

  std::filesystem::path folder = scratchFolder();
  std::vector<Orvanta::scene::Pose> poses;
  Orvanta::scene::SceneOptions options;
};

// The text of a value box or of the status box.
inline std::string textOf(const QWidget& window, const char* control) {
  if (auto* box = window.findChild<QLineEdit*>(control)) return box->text().toStdString();
  if (auto* status = window.findChild<QPlainTextEdit*>(control))
    return status->toPlainText().toStdString();
  if (auto* label = window.findChild<QLabel*>(control)) return label->text().toStdString();
  ADD_FAILURE() << "no text control " << control;
  return {};
}

inline QColor swatchOf(const QWidget& window, const char* swatch) {
  return window.findChild<QLabel*>(swatch)->palette().color(QPalette::Window);
}

inline void click(const QWidget& window, const char* button) {
  window.findChild<QPushButton*>(button)->click();
}

// A whole number as the window shows it ("200.").
inline std::string shown(int value) {
  return std::to_string(value) + ".";
}

}  // namespace OrvantaTest
