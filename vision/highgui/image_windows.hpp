// The image-window seam on real highgui windows.
#pragma once

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
  // From now on each window goes where a tiler places it when its picture is first shown; the
  // screen is read then, when the operator window has long been decorated.
  void arrange(std::function<ScreenLayout()> screen) { screen_ = std::move(screen); }

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

 private:
  // Keyed by (window, trackbar); map nodes stay put, so highgui may keep their addresses.
  std::map<std::pair<std::string, std::string>, Binding> bindings_;
  std::set<std::string> open_;  // opened here and not destroyed since
  std::function<ScreenLayout()> screen_;
  std::optional<WindowTiler> tiler_;
  std::set<std::string> placed_;  // shown since opened, so in their places
};

}  // namespace Orvanta
