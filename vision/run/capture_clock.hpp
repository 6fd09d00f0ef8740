// When each picture of a run was taken. A live source's picture (a camera, a pipe) at the moment
// it arrived, on the monotonic clock: seconds since the machine started, the clock autopilots
// count their own time on. A recorded one's at its place in the recording: its number over the
// rate it was recorded at (a video's own, the given rate for an image sequence).
#pragma once

#include <chrono>
#include <string>

namespace Orvanta {

struct CaptureTime {
  double seconds = 0;                             // as above
  std::chrono::steady_clock::time_point arrived;  // when the program had the picture
};

class CaptureClock {
 public:
  // Live: every picture at its arrival.
  CaptureClock() = default;
  // recordedFps: what the open source says of itself (0: nothing); sequenceFps: the rate of an
  // image sequence, which says nothing.
  CaptureClock(const std::string& source, double recordedFps, double sequenceFps);

  // Picture 0 is the first the source delivered; call it as the picture arrives.
  CaptureTime stamp(long picture) const;

 private:
  double interval_ = 0;  // seconds between recorded pictures; 0 for a live source
};

}  // namespace Orvanta
