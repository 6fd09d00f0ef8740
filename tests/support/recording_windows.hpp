// An ImageWindows for tests: no real windows, but a log of every call and the images shown.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "host.hpp"

namespace OrvantaTest {

class RecordingWindows : public Orvanta::ImageWindows {
 public:
  struct Trackbar {
    std::string window, name;
    int* position;
    int maximum;
    void (*onChange)(int);
  };

  void namedWindow(const std::string& name) override {
    open_.insert(name);
    calls_.push_back("namedWindow " + name);
  }
  void show(const std::string& name, const cv::Mat& image) override {
    shown_[name] = image.clone();
    calls_.push_back("show " + name);
  }
  void destroyWindow(const std::string& name) override {
    open_.erase(name);
    closed_.erase(name);
    calls_.push_back("destroyWindow " + name);
  }
  bool closedByOperator() override { return !closed_.empty(); }
  // The operator closes an open window with the window manager's button.
  void closeByOperator(const std::string& name) {
    if (open_.count(name)) closed_.insert(name);
  }
  void createTrackbar(const std::string& trackbar, const std::string& window, int* position,
                      int maximum, void (*onChange)(int)) override {
    trackbars_.push_back({window, trackbar, position, maximum, onChange});
    calls_.push_back("createTrackbar " + window + "/" + trackbar);
  }
  void setMouseCallback(const std::string& window, cv::MouseCallback callback,
                        void* userdata) override {
    mouse_[window] = {callback, userdata};
    calls_.push_back("setMouseCallback " + window);
  }

  // Moves a trackbar as the operator would: its variable, then its callback.
  void moveTrackbar(const std::string& window, const std::string& trackbar, int position) {
    for (const Trackbar& t : trackbars_)
      if (t.window == window && t.name == trackbar) {
        *t.position = position;
        if (t.onChange) t.onChange(position);
      }
  }
  // Delivers a mouse event to the window's callback, if one is set.
  void mouse(const std::string& window, int event, int x, int y, int flags = 0) {
    const auto found = mouse_.find(window);
    if (found != mouse_.end() && found->second.first)
      found->second.first(event, x, y, flags, found->second.second);
  }

  const std::vector<std::string>& calls() const { return calls_; }
  const std::vector<Trackbar>& trackbars() const { return trackbars_; }
  const std::set<std::string>& openWindows() const { return open_; }
  // Last image shown in the window; empty when none was.
  cv::Mat lastShown(const std::string& name) const {
    const auto found = shown_.find(name);
    return found == shown_.end() ? cv::Mat() : found->second;
  }

 private:
  std::vector<std::string> calls_;
  std::vector<Trackbar> trackbars_;
  std::set<std::string> open_, closed_;
  std::map<std::string, cv::Mat> shown_;
  std::map<std::string, std::pair<cv::MouseCallback, void*>> mouse_;
};

}  // namespace OrvantaTest
