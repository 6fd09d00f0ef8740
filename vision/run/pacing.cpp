#include "pacing.hpp"

#include <algorithm>
#include <cmath>

#include "camera.hpp"

namespace Orvanta {

// Behind time by more than this (a slow pass, a pause), the pace starts again from now
// rather than rushing to catch up.
constexpr auto kCatchUp = std::chrono::milliseconds(100);

double playbackInterval(const std::string& source, double recordedFps, double playbackFps) {
  if (playbackFps <= 0 || isDeviceSource(source)) return 0;
  const bool known = recordedFps > 0 && std::isfinite(recordedFps);
  return 1 / (known ? recordedFps : playbackFps);
}

void Pacer::start(const Host& host) {
  start(playbackInterval(host.cameraSource, recordedRate(), host.playbackFps));
}

int Pacer::waitBefore(int pictures, Clock::time_point now) {
  if (interval_ <= 0) return 0;
  if (!started_) started_ = true, due_ = now;
  due_ = std::max(due_, now - kCatchUp);
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due_ - now).count();
  due_ += std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(pictures * interval_));
  return int(std::max<long long>(0, wait));
}

}  // namespace Orvanta
