// The image-window seam switched off: headless runs and benchmarks.
#pragma once

#include "host.hpp"

namespace Orvanta {

// Every call does nothing, and nothing shown is ever seen.
class NoWindows : public ImageWindows {
 public:
  void namedWindow(const std::string&) override {}
  void show(const std::string&, const cv::Mat&) override {}
  void destroyWindow(const std::string&) override {}
  void createTrackbar(const std::string&, const std::string&, int*, int, void (*)(int)) override {}
  void setMouseCallback(const std::string&, cv::MouseCallback, void*) override {}
  bool showsPictures() const override { return false; }
};

}  // namespace Orvanta
