// Benchmark input: generated dives and noise frames written once per process as an uncompressed
// image sequence, so a tracking pass reads its pictures without decoding PNG.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "scene.hpp"

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

// A hard picture for the circle detection (long thin structures in the balls' colours), `count`
// times, as a sequence; the balls calibrated to the dive with threshold 200 by the caller with
// calibrateToStress().
const Sequence& stressSequence(Orvanta::scene::Stress kind, cv::Size size, int count);
void calibrateToStress(cv::Size size);

// A survey (from 2.5 m down to 1.3 m, oblique, rolling) recorded as MJPG video at `size` and
// decoded, with the truth of each picture and the colours at the balls' centres seen from above.
struct Video {
  std::vector<cv::Mat> pictures;
  std::vector<Orvanta::scene::Pose> poses;
  std::array<cv::Vec3b, 4> ballRgb;
};
// The survey as flown, or beside the rectangle with the green ball out of view in every picture
// (the others in it), as when the vehicle drifts off the frame's corner.
enum class Path { survey, greenOutOfView };
const Video& surveyVideo(cv::Size size, int count, Path path = Path::survey);

// The survey's video file and a calibration file for it (demo settings).
struct SurveyFiles {
  std::string video, calibration;
};
const SurveyFiles& surveyFiles(cv::Size size, int count, Path path = Path::survey);

// The survey's video re-encoded as H.264 (MP4), as many vehicle cameras stream it.
const std::string& surveyH264(cv::Size size, int count, Path path = Path::survey);

}  // namespace OrvantaBench
