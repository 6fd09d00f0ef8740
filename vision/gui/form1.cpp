#include "form1.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <iostream>
#include <utility>

#include "autopilot_link.hpp"
#include "camera.hpp"
#include "form1_layout.hpp"
#include "hints.hpp"
#include "options.hpp"
#include "pose_plot.hpp"
#include "position_view.hpp"
#include "preview.hpp"
#include "state.hpp"
#include "status_box.hpp"
#include "tracking_loop.hpp"
#include "value_box.hpp"

namespace Orvanta {
namespace {

constexpr const char* kButtons[] = {"button1", "button2", "button3"};

// The colour swatch of ball 1..4's row.
QString swatchName(int ball) {
  return "pictureBox" + QString::number(ball);
}

void resetTrackbars() {
  for (int* value :
       {&high_switch_value, &highInt, &low_switch_value, &lowInt, &high_switch_value_filt,
        &highIntFilt, &low_switch_value_filt, &lowIntFilt, &high_switch_value_hough, &highIntHough,
        &low_switch_value_hough, &lowIntHough, &switch_value_median, &IntMedian})
    *value = 0;
}

}  // namespace

Form1::Form1(std::string cameraSource, KeyWait& keys, ImageWindows& windows, Session session,
             QWidget* parent)
    : QWidget(parent),
      keys_(keys, *this),
      host_{std::move(cameraSource), *this, keys_, windows},
      session_(std::move(session)) {
  setObjectName("Form1");
  setWindowTitle("Orvanta");
  resize(kForm1Width, kForm1Height);
  buildForm1Controls(this);
  positionView_ = new PositionView(this);
  positionView_->setGeometry(kPreciseColumnX, 138, kPreciseColumnWidth, kPreciseColumnWidth);
  // The operator clears the tracks at will, also while tracking runs.
  auto* clearTrack = new QPushButton("Očisti trag", this);
  clearTrack->setObjectName("clearTrack");
  clearTrack->setGeometry(kPreciseColumnX, 138 + kPreciseColumnWidth + 6, 100, 26);
  connect(clearTrack, &QPushButton::clicked, positionView_, &PositionView::clearTracks);
  const int plotTop = clearTrack->geometry().bottom() + 6;
  posePlot_ = new PosePlot(this);
  posePlot_->setGeometry(kPreciseColumnX, plotTop, kPreciseColumnWidth, kForm1Height - 4 - plotTop);
  connect(clearTrack, &QPushButton::clicked, posePlot_, &PosePlot::clear);

  wireButton("button1", hints::trackingRunning(), [this] { startTracking(); });
  wireButton("button2", hints::previewRunning(), [this] { preview(); });
  wireButton("button3", hints::calibrationRunning(), [this] { calibrate(); });
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    auto* swatch = findChild<QLabel*>(swatchName(ball));
    swatch->installEventFilter(this);
    swatch->setToolTip("Klik: nova boja ove kugle");
    swatch->setCursor(Qt::PointingHandCursor);
  }

  box = cv::Rect(-1, -1, 0, 0);
  resetTrackbars();
  const Restored restored = restoreSession(session_, *this);
  // A layout file gives the balls' radius; without one the calibration file may.
  host_.layout = session_.layoutFile.value_or(site::defaultLayout());
  if (!session_.layoutFile) host_.layout.ballRadius = session_.setup.ballRadius;
  host_.cameraFile = session_.cameraFile;
  std::string cameraError;
  // --camera-model wins over the calibration file's camera entry.
  if (!host_.cameraFile && !session_.setup.camera.empty())
    readCamera(cameraFileOf(session_.setup, session_.calibrationPath), host_.cameraFile,
               cameraError);
  host_.playbackFps = session_.playbackFps;
  if (session_.playbackFps > 0) host_.sequenceFps = session_.playbackFps;
  host_.keepVideoFile = session_.keepVideoFile;
  if (session_.link)
    host_.fixSink = [this](const PictureFix& fix) {
      session_.link->send(fix.pose, fix.seconds);
      showLink();
    };
  showLink();
  sourceOpens_ = openCamera(host_.cameraSource);
  capture.release();
  std::string hint = hints::idle(host_.cameraSource, sourceOpens_);
  if (restored.loaded) hint += "\n" + hints::calibrationLoaded(session_.calibrationPath);
  if (!session_.setup.note.empty()) {
    hint += " " + session_.setup.note;
    std::cerr << "orvanta: " << session_.setup.note << '\n';
  }
  if (!restored.error.empty()) {
    hint += "\n" + hints::calibrationUnreadable(restored.error);
    std::cerr << "orvanta: " << hints::calibrationUnreadable(restored.error) << '\n';
  }
  if (!cameraError.empty()) {
    hint += "\n" + hints::cameraFileUnreadable(cameraError);
    std::cerr << "orvanta: " << cameraError << '\n';
  }
  showHint(hint);
}

Form1::~Form1() {
  capture.release();
  host_.windows.destroyWindow(name_video);
  host_.windows.destroyWindow(name);
}

void Form1::setText(const std::string& control, const std::string& text) {
  const QString name = QString::fromStdString(control);
  const QString value = QString::fromStdString(text);
  if (auto* box = findChild<QLineEdit*>(name)) showValue(*box, value);
  if (auto* status = findChild<QPlainTextEdit*>(name)) showStatus(*status, value);
  if (auto* label = findChild<QLabel*>(name)) {
    label->setText(value);
    label->adjustSize();
  }
  if (control == "textBox45") positionView_->addPosition(kamera.x, kamera.y);
}

void Form1::markPrecisePosition(double x, double y) {
  positionView_->addPrecisePosition(x, y);
}

void Form1::plotPrecisePose(double seconds, const cv::Vec4d& pose) {
  posePlot_->add(seconds, {pose[0], pose[1], pose[2], pose[3]});
}

void Form1::setBoxColour(const std::string& control, int r, int g, int b) {
  recolour<QLineEdit>(control, QPalette::Base, QColor(r, g, b));
}

void Form1::setDimmed(const std::string& control, bool dimmed) {
  recolour<QLineEdit>(control, QPalette::Text, dimmed ? QColor(160, 160, 160) : QColor(Qt::black));
}

void Form1::setSwatch(const std::string& control, int r, int g, int b) {
  recolour<QLabel>(control, QPalette::Window, QColor(r, g, b));
}

void Form1::wireButton(const char* button, std::string hint, std::function<void()> activity) {
  connect(findChild<QPushButton*>(button), &QPushButton::clicked, this,
          [this, hint = std::move(hint), activity = std::move(activity)] {
            runActivity(hint, activity);
          });
}

void Form1::runActivity(const std::string& hint, const std::function<void()>& activity) {
  setButtonsEnabled(false);
  activityRunning_ = true;
  host_.windows.rearrange();
  showHint(hint);
  activity();
  activityRunning_ = false;
  stopRequested_ = false;
  setButtonsEnabled(true);
  if (closeRequested_) {
    close();
    QCoreApplication::quit();
  }
}

int Form1::OperatorKeyWait::wait(int ms) {
  const int key = inner_.wait(ms);
  if (form_.closeRequested_) return 'n';
  if (std::exchange(form_.stopRequested_, false)) return 'n';
  return key;
}

void Form1::closeEvent(QCloseEvent* event) {
  if (!activityRunning_) return QWidget::closeEvent(event);
  closeRequested_ = true;
  event->ignore();
}

void Form1::keyPressEvent(QKeyEvent* event) {
  if (activityRunning_ && (event->key() == Qt::Key_N || event->key() == Qt::Key_Escape))
    stopRequested_ = true;
  QWidget::keyPressEvent(event);
}

void Form1::setButtonsEnabled(bool enabled) {
  for (const char* button : kButtons) findChild<QPushButton*>(button)->setEnabled(enabled);
}

void Form1::showHint(const std::string& text) {
  auto* hint = findChild<QLabel*>("hintLine");
  // A failed save stays in sight until a save succeeds.
  const std::string failure = session_.saveFailure.empty() ? "" : "\n" + session_.saveFailure;
  hint->setText(QString::fromStdString(text + failure));
  hint->setToolTip(hint->text());
}

std::string Form1::status() const {
  return findChild<QPlainTextEdit*>("textBox7")->toPlainText().toStdString();
}

void Form1::afterActivity(bool sourceOpened, const std::string& hint) {
  sourceOpens_ = sourceOpened;
  showHint(sourceOpened ? hint : hints::sourceUnavailable(host_.cameraSource));
}

std::string Form1::saveNote() {
  const std::string note = std::exchange(session_.saveNote, {});
  return note.empty() ? note : " " + note;
}

void Form1::showLink() {
  if (!session_.link) return setText("preciseLink", "---");
  const autopilot::AutopilotLink::Counts counts = session_.link->counts();
  setText("preciseLink", counts.lastFailed ? "greška" : std::to_string(counts.sent));
}

std::string Form1::idleHint() const {
  return hints::idle(host_.cameraSource, sourceOpens_);
}

void Form1::preview() {
  button2_Click(host_);
  afterActivity(capture.isOpened(), idleHint());
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress || activityRunning_)
    return QWidget::eventFilter(watched, event);
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    if (watched->objectName() != swatchName(ball)) continue;
    runActivity(hints::ballCalibrationRunning(ball), [this, ball] { calibrateOneBall(ball); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

std::string Form1::clashNote() const {
  const std::string clash = colourClashes();
  if (clash.empty()) return "";
  std::cerr << "orvanta: " << clash << '\n';
  return " " + clash;
}

void Form1::calibrateOneBall(int ball) {
  const bool done = calibrateBall(host_, session_, ball);
  afterActivity(status() != statusNoCamera,
                hints::ballCalibrationDone(ball, done) + clashNote() + saveNote());
}

void Form1::calibrate() {
  button3_Click(host_, session_);
  const bool opened = status() != statusNoCamera;
  std::string hint = brojOdabranihBoja == 4 ? hints::calibrationDone()
                     : c == 'n'             ? hints::calibrationEnded(brojOdabranihBoja)
                                            : idleHint();
  // What was calibrated stays in this run only: the file that could not be read is kept.
  if (brojOdabranihBoja > 0 && session_.fileUnreadable)
    hint += " " + hints::calibrationNotSaved(session_.calibrationPath);
  afterActivity(opened || brojOdabranihBoja == 4, hint + clashNote() + saveNote());
}

void Form1::startTracking() {
  const bool calibrated = odabran_piksel;
  positionView_->clearTracks();  // a new run, a new track
  posePlot_->clear();
  const RunEnd end = button1_Click(host_);
  // The run ends with the trackbars where the operator left them; keep them for next time.
  if (odabran_piksel) saveSession(session_, *this);
  // Refused for want of a calibration, the source was not tried. The values of a source read
  // to its end stay on screen: the hint says they are its last.
  const std::string ended = end.sourceEnded ? hints::sourceEnded(end.pictures) + " " : "";
  afterActivity(calibrated ? status() != statusNoCamera : sourceOpens_,
                ended + idleHint() + saveNote());
}

}  // namespace Orvanta
