// Recorded dives at their own pace: in the window a file source plays at the rate it was
// recorded at (a video's own frame rate; the host's rate for an image sequence), where a
// camera delivers at its own rate and headless runs go as fast as they can.
#pragma once

#include <chrono>
#include <string>

#include "host.hpp"

namespace Orvanta {

// Seconds between the pictures of source as played back; 0 for no pacing (a camera, or a
// host that plays at no rate). recordedFps is what the source says of itself, 0 if nothing.
double playbackInterval(const std::string& source, double recordedFps, double playbackFps);

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  // For the source just opened into capture.
  void start(const Host& host);
  void start(double interval) { interval_ = interval, started_ = false; }
  // How long to wait, in milliseconds, before reading the next `pictures` pictures so that
  // they come as far apart as they were recorded; 0 when the pass may go on at once.
  int waitBefore(int pictures, Clock::time_point now = Clock::now());

 private:
  double interval_ = 0;
  Clock::time_point due_;
  bool started_ = false;
};

}  // namespace Orvanta
