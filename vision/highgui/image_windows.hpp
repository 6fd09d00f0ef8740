// The image-window seam on real highgui windows.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "host.hpp"
#include "window_layout.hpp"

namespace Orvanta {

class HighguiWindows : public ImageWindows {
 public:
  // Where a window's frame is now, as the window manager reports it; none while it has not
  // decorated the window.
  using FrameOf = std::function<std::optional<cv::Rect>(const std::string& name)>;
  // From now on each window goes where a tiler places it when its picture is first shown; the
  // screen is read then, when the operator window has long been decorated. A window the window
  // manager puts elsewhere (its title bar off the screen) is moved where it belongs.
  void arrange(std::function<ScreenLayout()> screen, FrameOf frameOf) {
    screen_ = std::move(screen);
    frameOf_ = std::move(frameOf);
  }
  // An activity starts: each window is placed anew around the operator window as it is now.
  void rearrange() override;

  void namedWindow(const std::string& name) override;
  void show(const std::string& name, const cv::Mat& image) override;
  void destroyWindow(const std::string& name) override;
  void createTrackbar(const std::string& trackbar, const std::string& window, int* position,
                      int maximum, void (*onChange)(int)) override;
  void setMouseCallback(const std::string& window, cv::MouseCallback callback,
                        void* userdata) override;
  bool closedByOperator() override;

  // What a trackbar move updates; highgui gets no value pointer, only this record.
  struct Binding {
    int* position = nullptr;
    void (*onChange)(int) = nullptr;
  };
  // A window's mouse callback, handed the picture's coordinates however it is scaled.
  struct Mouse {
    cv::MouseCallback callback = nullptr;
    void* userdata = nullptr;
    double scale = 1;
  };

 private:
  // Keyed by (window, trackbar); map nodes stay put, so highgui may keep their addresses.
  std::map<std::pair<std::string, std::string>, Binding> bindings_;
  std::set<std::string> open_;  // opened here and not destroyed since
  std::map<std::string, Mouse> mice_;
  std::function<ScreenLayout()> screen_;
  FrameOf frameOf_;
  std::optional<WindowTiler> tiler_;
  std::map<std::string, Placement> placed_;  // shown since opened, and where they went
  // Placed windows whose frame is still to be checked: where they were asked to go, how often,
  // when last.
  struct Move {
    cv::Point requested;
    int tries = 0;
    std::chrono::steady_clock::time_point when;
  };
  std::map<std::string, Move> moves_;
  cv::Mat scaled_;  // the last picture shown smaller

  void place(const std::string& name, cv::Size picture);
  void moveTo(const std::string& name, const Placement& placement);
  // Moves a window the window manager put elsewhere than asked, once it has decorated it.
  void check(const std::string& name);
};

}  // namespace Orvanta
