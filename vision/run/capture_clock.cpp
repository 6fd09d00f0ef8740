#include "capture_clock.hpp"

#include <cmath>

#include "camera.hpp"

namespace Orvanta {

CaptureClock::CaptureClock(const std::string& source, double recordedFps, double sequenceFps) {
  if (isLiveSource(source)) return;
  const bool known = recordedFps > 0 && std::isfinite(recordedFps);
  interval_ = 1 / (known ? recordedFps : sequenceFps);
}

CaptureTime CaptureClock::stamp(long picture) const {
  CaptureTime time;
  time.arrived = std::chrono::steady_clock::now();
  time.seconds = interval_ > 0
                     ? picture * interval_
                     : std::chrono::duration<double>(time.arrived.time_since_epoch()).count();
  return time;
}

}  // namespace Orvanta
