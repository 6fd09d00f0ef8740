#include "calibration.hpp"

#include <filesystem>
#include <iostream>

#include "ball_names.hpp"
#include "calibration_file.hpp"
#include "camera.hpp"
#include "click_slot.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "histogram.hpp"
#include "key_wait.hpp"
#include "number_format.hpp"
#include "state.hpp"
#include "text_file.hpp"

namespace Orvanta {
namespace {

constexpr const char* kStatus = "textBox7";

// The controls of one ball's row, and the status texts of its calibration pass.
struct CalibrationRow {
  const char* prompt;
  const char* swatch;
  const char* red;
  const char* green;
  const char* blue;
  const char* hue;
  const char* saturation;
  const char* value;
  const char* threshold;
  const char* afterThreshold;  // nullptr: "Odaberi treshold!" stays until the next prompt
};

constexpr CalibrationRow kRows[] = {
    {"Klikni na zelenu!", "pictureBox1", "textBox1", "textBox2", "textBox3", "textBox6", "textBox5",
     "textBox4", "textBox13", nullptr},
    {"Klikni na crvenu!", "pictureBox2", "textBox19", "textBox18", "textBox17", "textBox16",
     "textBox12", "textBox11", "textBox10", ""},
    {"Klikni na plavu!", "pictureBox3", "textBox28", "textBox27", "textBox26", "textBox25",
     "textBox24", "textBox23", "textBox22", ""},
    {"Klikni na žutu!", "pictureBox4", "textBox37", "textBox36", "textBox35", "textBox34",
     "textBox33", "textBox32", "textBox31", "Klikni na Start!"},
};

void showBallColour(int ball, OperatorTexts& texts) {
  const CalibrationRow& row = kRows[ball - 1];
  const circles& record = ballRecord(ball);
  texts.setSwatch(row.swatch, record.r, record.g, record.b);
  texts.setText(row.red, formatNumber(record.r));
  texts.setText(row.green, formatNumber(record.g));
  texts.setText(row.blue, formatNumber(record.b));
  texts.setText(row.hue, formatNumber(record.h));
  texts.setText(row.saturation, formatNumber(record.s));
  texts.setText(row.value, formatNumber(record.v));
}

// The ball's row as its record stands: its colour and threshold, or empty when not calibrated.
void showBallRow(int ball, OperatorTexts& texts) {
  const CalibrationRow& row = kRows[ball - 1];
  const circles& record = ballRecord(ball);
  if (calibrated(record)) {
    showBallColour(ball, texts);
    texts.setText(row.threshold, formatNumber(record.threshold));
    return;
  }
  texts.setSwatch(row.swatch, 255, 255, 255);
  for (const char* box :
       {row.red, row.green, row.blue, row.hue, row.saturation, row.value, row.threshold})
    texts.setText(box, "");
}

// The sampled pixel becomes the reference colour hsv and the ball's calibrated colour.
void sampleColour(const cv::Vec3b& pixel, circles& record) {
  rgb = pixelToRgb(pixel);
  rgb_full = {rgb.r, rgb.g, rgb.b};
  hsv = rgb_to_hsv(rgb);
  hsv_full = {double(hsv.h), double(hsv.s), double(hsv.v)};
  record.r = rgb.r;
  record.g = rgb.g;
  record.b = rgb.b;
  record.h = hsv.h;
  record.s = hsv.s;
  record.v = hsv.v;
}

bool clickInPicture() {
  return box.x > 0 && box.y > 0 && box.x < image.cols && box.y < image.rows;
}

// One click on the picture: sample, show, choose the threshold on the histogram, save. False
// when the histogram had no frame: the calibration ends, its refusal left readable.
bool takeClick(Host& host, Session& session) {
  const int ball = ++brojOdabranihBoja;
  odabran_piksel = true;
  const cv::Point sampled(box.x, box.y);
  const cv::Vec3b pixel = image.at<cv::Vec3b>(sampled);
  box.x = box.y = -1;
  if (!izmjena) return true;
  izmjena = false;

  const CalibrationRow& row = kRows[ball - 1];
  const circles before = ballRecord(ball);
  sampleColour(pixel, ballRecord(ball));
  showBallColour(ball, host.texts);
  host.texts.setText(kStatus, "Odaberi treshold!");
  bool refused = false;
  const int threshold = histogram(ball, host, &refused, sampled, image);
  // A threshold choice ended without a click leaves the ball as it was, colour and all.
  if (c == 'n' && !refused) {
    ballRecord(ball) = before;
    showBallRow(ball, host.texts);
  } else {
    host.texts.setText(row.threshold, formatNumber(threshold));
  }
  if (row.afterThreshold && !refused) host.texts.setText(kStatus, row.afterThreshold);
  saveSession(session, host.texts);
  return !refused;
}

// The calibration samples the preview's still picture; without one (or once the camera has
// been released) it takes a fresh picture itself.
bool ensureStillPicture(Host& host) {
  if (!image.empty() && capture.isOpened()) return true;
  PictureProblem problem;
  if (openCamera(host.cameraSource) && queryFrame(image, &problem)) return true;
  capture.release();
  host.texts.setText(kStatus, problem ? problem.window : statusNoCamera);
  return false;
}

// Asks for the balls first+1 .. last in turn on the still picture; brojOdabranihBoja counts
// from first.
void clickBalls(Host& host, Session& session, int first, int last) {
  if (!ensureStillPicture(host)) return;
  host.windows.destroyWindow(name_video);
  host.windows.namedWindow(name);
  host.windows.show(name, image);
  host.windows.setMouseCallback(name, mouseClick, &image);

  brojOdabranihBoja = first;
  do {
    host.texts.setText(kStatus, kRows[brojOdabranihBoja].prompt);
    if (clickInPicture() && !takeClick(host, session)) break;
    waitKey(host, 33);
  } while (c != 'n' && brojOdabranihBoja < last);

  capture.release();
  host.windows.destroyWindow(name_video);
  host.windows.destroyWindow(name);
}

hsv_color hsvOf(const circles& record) {
  return {std::uint8_t(record.h), std::uint8_t(record.s), std::uint8_t(record.v)};
}

// One ball's mask takes the other's colour.
bool takesColourOf(const circles& mask, const circles& other) {
  return mask.threshold > 0 && colourScore(other, hsvOf(mask), mask.hsvNorm) >= mask.threshold;
}

}  // namespace

void button3_Click(Host& host, Session& session) {
  clickBalls(host, session, 0, site::kBallCount);
}

bool calibrateBall(Host& host, Session& session, int ball) {
  const int counted = brojOdabranihBoja;
  clickBalls(host, session, ball - 1, ball);
  const bool done = brojOdabranihBoja == ball && c != 'n';
  brojOdabranihBoja = counted;
  return done;
}

std::string colourClashes() {
  std::string pairs;
  for (int a = 1; a <= site::kBallCount; ++a)
    for (int b = a + 1; b <= site::kBallCount; ++b) {
      const circles &first = ballRecord(a), &second = ballRecord(b);
      if (!takesColourOf(first, second) && !takesColourOf(second, first)) continue;
      pairs += std::string(pairs.empty() ? "" : ", ") + kBallGenitive[a - 1] + " i " +
               kBallGenitive[b - 1];
    }
  if (pairs.empty()) return "";
  return "Pozor: boje kugli su preslične (maska jedne uzima i drugu): " + pairs +
         ". Klik na boju kugle ponavlja njezin odabir.";
}

void showCalibration(OperatorTexts& texts) {
  for (int ball = 1; ball <= site::kBallCount; ++ball)
    if (calibrated(ballRecord(ball))) showBallRow(ball, texts);
}

Restored restoreSession(Session& session, OperatorTexts& texts) {
  std::error_code ignored;
  if (session.calibrationPath.empty() || !std::filesystem::exists(session.calibrationPath, ignored))
    return {};
  Restored restored;
  if (!loadCalibration(session.calibrationPath, &restored.error, &session.setup,
                       &session.fileText)) {
    session.fileUnreadable = true;
    return restored;
  }
  showCalibration(texts);
  restored.loaded = true;
  return restored;
}

void saveSession(Session& session, OperatorTexts& texts) {
  if (session.calibrationPath.empty() || session.fileUnreadable) return;
  std::string error;
  const std::string onDisk = site::readTextFile(session.calibrationPath, &error).value_or("");
  const std::string lastKnown = session.fileText;
  if (!saveCalibration(session.calibrationPath, &error, session.setup, &session.fileText)) {
    session.saveFailure = "Kalibracija nije spremljena: " + error;
    std::cerr << "orvanta: " << session.saveFailure << '\n';
    texts.setText(kStatus, session.saveFailure);
    return;
  }
  session.saveFailure.clear();
  if (onDisk == lastKnown || onDisk.empty()) return;
  session.saveNote =
      "Datoteku kalibracije u međuvremenu je mijenjao drugi program: njegovi su unosi zadržani i "
      "vrijede od sljedećeg pokretanja.";
  texts.setText(kStatus, session.saveNote);
}

}  // namespace Orvanta
