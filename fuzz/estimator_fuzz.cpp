// Fuzzes the precise estimator with pictures and ball colours of any kind: any picture of any
// size, with or without colours for each ball, gives an estimate or a refusal, never a read
// outside the picture, a crash or a pose that is not a number.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <opencv2/core.hpp>

#include "camera_model.hpp"
#include "estimator.hpp"

namespace {

// The input: width and height (a byte each), then a present flag and RGB for each ball, then
// the pictures' pixels, repeated to fill three pictures of that size.
constexpr std::size_t kHeader = 2 + 4 * 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Orvanta;
  if (size <= kHeader) return 0;
  const cv::Size picture(8 + data[0] % 120, 8 + data[1] % 90);
  pose::EstimatorSettings settings;
  settings.camera = site::defaultCamera().at(picture);
  for (int ball = 0; ball < site::kBallCount; ++ball) {
    const std::uint8_t* b = data + 2 + 4 * ball;
    if (b[0] % 4 != 0) settings.colours[ball] = cv::Vec3d(b[1], b[2], b[3]);
  }
  pose::PoseEstimator estimator(settings);
  const std::uint8_t* pixels = data + kHeader;
  const std::size_t count = size - kHeader;
  std::size_t next = 0;
  // Several pictures, so that the search around the last positions runs too.
  for (int k = 0; k < 3; ++k) {
    cv::Mat bgr(picture, CV_8UC3);
    std::uint8_t* out = bgr.ptr();
    for (std::size_t i = 0; i < bgr.total() * 3; ++i) out[i] = pixels[next++ % count];
    const pose::PictureEstimate estimate = estimator.estimate(bgr);
    if (estimate.pose.valid &&
        !(std::isfinite(estimate.pose.position[0]) && std::isfinite(estimate.pose.position[1]) &&
          std::isfinite(estimate.pose.position[2])))
      __builtin_trap();
  }
  return 0;
}
