#include "noise.hpp"

#include <cmath>
#include <cstdint>
#include <opencv2/imgcodecs.hpp>
#include <vector>

namespace Orvanta::scene {

namespace {

uint64_t noiseState(unsigned seed, int frameIndex) {
  // splitmix64 of (seed, frame): neighbouring seeds and frames get unrelated streams.
  uint64_t z = (uint64_t(seed) << 32 | uint32_t(frameIndex)) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void addSensorNoise(cv::Mat& image, const SceneOptions& options, int frameIndex) {
  if (options.noise <= 0) return;
  cv::Mat noise(image.size(), image.type());
  cv::RNG rng(noiseState(options.seed, frameIndex));
  // Uniform noise of the requested deviation: half the cost of Gaussian noise, and the frame
  // looks the same.
  const double halfWidth = std::sqrt(3.0) * options.noise;
  rng.fill(noise, cv::RNG::UNIFORM, -halfWidth, halfWidth);
  image += noise;
}

void throughCameraJpeg(cv::Mat& frame, int quality) {
  // libjpeg's defaults sample the colour 2x2: 4:2:0, as camera MJPG streams do.
  std::vector<uchar> bytes;
  cv::imencode(".jpg", frame, bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
  frame = cv::imdecode(bytes, cv::IMREAD_COLOR);
}

}  // namespace Orvanta::scene
