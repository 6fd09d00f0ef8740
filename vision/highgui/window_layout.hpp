// Where the image windows go on the screen: beside and below the operator window, never over
// it, each where it overlaps no other, as long as the screen has room.
#pragma once

#include <map>
#include <opencv2/core.hpp>
#include <string>

namespace Orvanta {

struct ScreenLayout {
  cv::Rect screen;     // the usable part of the screen
  cv::Rect keepClear;  // the operator window, frame included
  int gap = 4;
  // What the window manager and highgui add to a picture: the title bar, the border, and a row
  // per trackbar.
  int titleBar = 30, border = 2, trackbarRow = 36;
};

class WindowTiler {
 public:
  explicit WindowTiler(const ScreenLayout& layout) : layout_(layout) {}

  // The top-left corner of the frame of a new window showing a picture of that size with that
  // many trackbars: the first free place right of the operator window (top down), then below
  // it (left to right). On a screen without such a place the window goes where it covers the
  // least, the operator window counting twice as much as the others.
  cv::Point place(const std::string& name, cv::Size picture, int trackbars);
  // The window was closed: its place is free again.
  void forget(const std::string& name) { placed_.erase(name); }
  // The frames placed, by window name.
  const std::map<std::string, cv::Rect>& placed() const { return placed_; }

 private:
  ScreenLayout layout_;
  std::map<std::string, cv::Rect> placed_;

  cv::Size frameOf(cv::Size picture, int trackbars) const;
  // The frame moved onto the screen as far as it fits.
  cv::Rect onto(cv::Rect frame) const;
  long long coverOfOperator(const cv::Rect& frame) const;
  long long overlapWithOthers(const cv::Rect& frame) const;
};

}  // namespace Orvanta
