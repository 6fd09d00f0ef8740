// Where the image windows go on the screen: beside and below the operator window, never over
// its readings, each where it overlaps no other, scaled down when the screen has no room for
// them at full size.
#pragma once

#include <map>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace Orvanta {

struct ScreenLayout {
  cv::Rect screen;     // the usable part of the screen
  cv::Rect keepClear;  // the operator window, frame included
  // The parts of the operator window that no image window may cover: the status, the positions,
  // the top view.
  std::vector<cv::Rect> readings{};
  int gap = 4;
  // What the window manager and highgui add to a picture: the title bar, the border, and a row
  // per trackbar.
  int titleBar = 30, border = 2, trackbarRow = 36;
};

// A window's frame and the scale its picture is shown at.
struct Placement {
  cv::Rect frame;
  double scale = 1;
};

class WindowTiler {
 public:
  explicit WindowTiler(const ScreenLayout& layout) : layout_(layout) {}

  // Adds a window showing a picture of that size with that many trackbars and arranges every
  // window added so far anew: all at the largest scale at which they lie apart and the windows
  // the operator works with lie clear of the operator window; failing that, clear of its
  // readings at least. Background windows (masks only glanced at) may lie over one another:
  // which is on top is the window manager's choice.
  void place(const std::string& name, cv::Size picture, int trackbars, bool background = false);
  // The window was closed: its place is free again.
  void forget(const std::string& name);
  // Where each window goes, by name.
  const std::map<std::string, Placement>& placed() const { return placed_; }

 private:
  struct Window {
    std::string name;
    cv::Size picture;
    int trackbars;
    bool background;
  };
  struct Arrangement;
  struct Cost;

  ScreenLayout layout_;
  std::vector<Window> windows_;  // in the order they were first shown
  std::map<std::string, Placement> placed_;

  Arrangement arrangeAt(double scale) const;
  // The best place for the window beside those placed so far, and what it covers there.
  std::pair<cv::Rect, Cost> placeOne(const Window& window, double scale,
                                     const Arrangement& sofar) const;
  std::vector<double> scales() const;
};

}  // namespace Orvanta
