// The operator window: three buttons start the preview, the calibration and the tracking
// loop; the controls show every calibrated and measured value.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "calibration.hpp"
#include "host.hpp"

namespace Orvanta {

class PositionView;
class PosePlot;

class Form1 : public QWidget, public OperatorTexts {
  Q_OBJECT

  // The key waits of the activities, through this window: "n" once the operator typed it here,
  // and for good once the operator closed the window.
  class OperatorKeyWait : public KeyWait {
   public:
    OperatorKeyWait(KeyWait& inner, const Form1& form) : inner_(inner), form_(form) {}
    int wait(int ms) override;

   private:
    KeyWait& inner_;
    const Form1& form_;
  };

 public:
  // Resets the click slot and the trackbars, then restores the session's calibration.
  Form1(std::string cameraSource, KeyWait& keys, ImageWindows& windows, Session session = {},
        QWidget* parent = nullptr);
  // Releases the camera and closes "Video" and "RGB prikaz slike".
  ~Form1() override;

  void setText(const std::string& control, const std::string& text) override;

 protected:
  // During an activity the window stays until the activity has ended, then closes.
  void closeEvent(QCloseEvent* event) override;
  // "n" typed here ends the running activity, as it does in an image window.
  void keyPressEvent(QKeyEvent* event) override;
  // A click on a ball's colour swatch starts the calibration of that ball alone.
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  void setSwatch(const std::string& control, int r, int g, int b) override;
  void markPrecisePosition(double x, double y) override;
  void plotPrecisePose(double seconds, const cv::Vec4d& pose) override;
  void setBoxColour(const std::string& control, int r, int g, int b) override;
  void setDimmed(const std::string& control, bool dimmed) override;

 private:
  OperatorKeyWait keys_;
  Host host_;
  Session session_;
  PositionView* positionView_;
  PosePlot* posePlot_;
  bool activityRunning_ = false;
  bool closeRequested_ = false;
  mutable bool stopRequested_ = false;  // taken by the next key wait

  bool sourceOpens_ = false;  // as the last try to open it told

  // The button starts the activity, the hint line saying what it expects meanwhile.
  void wireButton(const char* button, std::string hint, std::function<void()> activity);
  // Activities are modal loops that dispatch this window's events; the buttons stay off
  // meanwhile so that no second activity starts inside the first.
  void runActivity(const std::string& hint, const std::function<void()>& activity);
  void setButtonsEnabled(bool enabled);
  void showHint(const std::string& text);
  std::string status() const;
  // The hint once an activity has ended: hint, or which source could not be opened.
  void afterActivity(bool sourceOpened, const std::string& hint);
  std::string idleHint() const;
  // The autopilot link's box: messages sent so far, or that the last could not be sent.
  void showLink();
  // One colour of the named control's palette, when there is such a control of that kind.
  template <class Control>
  void recolour(const std::string& control, QPalette::ColorRole role, const QColor& colour) {
    auto* widget = findChild<Control*>(QString::fromStdString(control));
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
  }
  // What the calibration saves had to say since it was last shown, to follow a hint; once.
  std::string saveNote();
  void preview();
  void calibrate();
  void calibrateOneBall(int ball);
  // The warning about balls calibrated to the same colour, to follow a hint (and on standard
  // error); empty when there is none.
  std::string clashNote() const;
  void startTracking();
};

}  // namespace Orvanta
