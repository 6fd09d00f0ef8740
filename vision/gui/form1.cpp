#include "form1.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <utility>

#include "form1_layout.hpp"
#include "position_view.hpp"
#include "preview.hpp"
#include "state.hpp"
#include "tracking_loop.hpp"

namespace Orvanta {
namespace {

constexpr const char* kButtons[] = {"button1", "button2", "button3"};

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

  wireButton("button1", [this] { startTracking(); });
  wireButton("button2", [this] { button2_Click(host_); });
  wireButton("button3", [this] { button3_Click(host_, session_); });

  box = cv::Rect(-1, -1, 0, 0);
  resetTrackbars();
  restoreSession(session_, *this);
  host_.ballRadius = session_.ballRadius;
  host_.playbackFps = session_.playbackFps;
}

Form1::~Form1() {
  capture.release();
  host_.windows.destroyWindow(name_video);
  host_.windows.destroyWindow(name);
}

void Form1::setText(const std::string& control, const std::string& text) {
  const QString name = QString::fromStdString(control);
  const QString value = QString::fromStdString(text);
  if (auto* box = findChild<QLineEdit*>(name)) box->setText(value);
  if (auto* status = findChild<QPlainTextEdit*>(name)) {
    status->setPlainText(value);
    status->moveCursor(QTextCursor::Start);  // a long message shows its beginning
  }
  if (control == "textBox45") positionView_->addPosition(kamera.x, kamera.y);
}

void Form1::markPrecisePosition(double x, double y) {
  positionView_->addPrecisePosition(x, y);
}

void Form1::setSwatch(const std::string& control, int r, int g, int b) {
  auto* swatch = findChild<QLabel*>(QString::fromStdString(control));
  if (!swatch) return;
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, QColor(r, g, b));
  swatch->setPalette(palette);
}

void Form1::wireButton(const char* button, std::function<void()> activity) {
  connect(findChild<QPushButton*>(button), &QPushButton::clicked, this,
          [this, activity = std::move(activity)] { runActivity(activity); });
}

void Form1::runActivity(const std::function<void()>& activity) {
  setButtonsEnabled(false);
  activityRunning_ = true;
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
  if (activityRunning_ && event->key() == Qt::Key_N) stopRequested_ = true;
  QWidget::keyPressEvent(event);
}

void Form1::setButtonsEnabled(bool enabled) {
  for (const char* button : kButtons) findChild<QPushButton*>(button)->setEnabled(enabled);
}

void Form1::startTracking() {
  button1_Click(host_);
  // The run ends with the trackbars where the operator left them; keep them for next time.
  if (odabran_piksel) saveSession(session_, *this);
}

}  // namespace Orvanta
