// Benchmark input: generated dives and noise frames written once per process as an uncompressed
// image sequence, so a tracking pass reads its pictures without decoding PNG.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace OrvantaBench {

// The demo's detection settings: threshold 210 and median aperture 5.
inline constexpr int demoThreshold = 210;

struct Sequence {
  std::string pattern;          // image-sequence pattern for the camera seam
  std::vector<cv::Mat> frames;  // the same pictures, in memory
};

// A dive of `count` frames at `size`, written under the system's temporary folder; the four
// balls are calibrated to it (demo settings) by the caller with calibrateToDive().
const Sequence& diveSequence(cv::Size size, int count);
void calibrateToDive(cv::Size size);

// Murky water of strong grain with no ball in it; each ball's threshold is set so that about a
// third of the pixels pass, the worst case for circle detection.
const Sequence& noiseSequence(cv::Size size, int count);
void calibrateToNoise(cv::Size size);

}  // namespace OrvantaBench
