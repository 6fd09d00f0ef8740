// The four edges of the vision program. Every activity (preview, calibration, tracking)
// reaches the camera, the key waits, the operator window's texts and the image windows only
// through a Host, so the same code runs for real, headless, or under a test script.
#pragma once

#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/highgui.hpp>
#include <optional>
#include <string>

#include "camera_model.hpp"
#include "landmark_layout.hpp"
#include "picture_fix.hpp"

namespace Orvanta {

// Texts and swatch colours of the operator window, addressed by control name
// ("textBox7", "pictureBox1", ...).
class OperatorTexts {
 public:
  virtual ~OperatorTexts() = default;
  virtual void setText(const std::string& control, const std::string& text) = 0;
  virtual void setSwatch(const std::string& control, int r, int g, int b) = 0;
  // A new precise position (landmark frame, metres) for the track; nothing by default.
  virtual void markPrecisePosition(double /*x*/, double /*y*/) {}
  // A picture's precise x, y, z (metres) and heading (degrees), NaN without a pose, at its
  // capture time (seconds), for the plot over time; nothing by default.
  virtual void plotPrecisePose(double /*seconds*/, const cv::Vec4d& /*pose*/) {}
  // The background of a value box, to say how far its value can be trusted; nothing by default.
  virtual void setBoxColour(const std::string& /*control*/, int /*r*/, int /*g*/, int /*b*/) {}
  // A value box whose value is old (its ball not found in the current picture, a position not
  // solved anew) shows it dimmed, its text unchanged; nothing by default.
  virtual void setDimmed(const std::string& /*control*/, bool /*dimmed*/) {}
};

// One key wait: waits up to ms milliseconds while window events are dispatched, returns the
// key code or -1. Callers store the result in Orvanta::c through waitKey() below.
class KeyWait {
 public:
  virtual ~KeyWait() = default;
  virtual int wait(int ms) = 0;
};

// The image windows (highgui). A headless run switches them all off.
class ImageWindows {
 public:
  virtual ~ImageWindows() = default;
  virtual void namedWindow(const std::string& name) = 0;  // automatic size
  virtual void show(const std::string& name, const cv::Mat& image) = 0;
  virtual void destroyWindow(const std::string& name) = 0;
  // A trackbar 0..maximum starting at *position. Every move stores the new position in
  // *position, then calls onChange with it.
  virtual void createTrackbar(const std::string& trackbar, const std::string& window, int* position,
                              int maximum, void (*onChange)(int)) = 0;
  virtual void setMouseCallback(const std::string& window, cv::MouseCallback callback,
                                void* userdata) = 0;
  // True when the operator has closed one of the windows opened here (the window manager's
  // close button) since it was opened; the activity then ends as "n" would end it.
  virtual bool closedByOperator() { return false; }
  // False when nothing shown is ever seen (headless runs): pictures only meant to be shown need
  // not be made.
  virtual bool showsPictures() const { return true; }
  // An activity starts: windows shown from now on are placed anew; nothing by default.
  virtual void rearrange() {}
};

struct Host {
  std::string cameraSource = "0";  // device index, video file or image-sequence pattern
  OperatorTexts& texts;
  KeyWait& keys;
  ImageWindows& windows;
  // The landmark: the design's rectangle, or the user's layout file, and the balls' radius.
  site::LandmarkLayout layout = site::defaultLayout();
  // The user's camera file; none: the design's camera, scaled to the pictures' size.
  std::optional<site::CameraModel> cameraFile{};
  // Pictures per second at which a recorded source without a rate of its own (an image
  // sequence) plays; 0: every source as fast as it delivers (headless runs).
  double playbackFps = 0;
  // Pictures per second an image sequence was taken at: its pictures' capture times follow.
  double sequenceFps = 30;
  // Keep the empty video file each run opens (in a private folder of its own) after the run.
  bool keepVideoFile = false;
  // False: a run gives only the precise estimate of every picture, without the colour passes,
  // ranges and trilateration (a headless run asked for poses alone).
  bool rangeChain = true;
  // Receives the precise estimate of every picture a run reads (set-up and passes alike), in the
  // order the source delivered them.
  std::function<void(const PictureFix&)> fixSink{};
};

}  // namespace Orvanta
