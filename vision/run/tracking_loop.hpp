// The Start button's tracking loop: per pass two camera pictures, the four colour passes, the
// five-frame range filter and, when all four balls are in view, the position.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <optional>
#include <ostream>

#include "camera.hpp"
#include "detection.hpp"
#include "estimator.hpp"
#include "host.hpp"
#include "pacing.hpp"
#include "picture_feed.hpp"
#include "precise_pose.hpp"
#include "private_folder.hpp"
#include "state.hpp"

namespace Orvanta {

// False when any coordinate is not a number (ranges that no point satisfies).
bool isNumber(const camera& position);

// Elapsed wall time from earlier to later, in milliseconds.
double diffclock(std::chrono::steady_clock::time_point later,
                 std::chrono::steady_clock::time_point earlier);

// Ranges of the four balls over windows of five frames: the first frame's ranges, raised to the
// largest of frames 2 to 4; the fifth frame closes the window without adding to it.
class RangeFilter {
 public:
  // Feeds one frame's ranges (ball order); true when this frame closed a window.
  bool add(const std::array<double, site::kBallCount>& distances);
  const std::array<double, site::kBallCount>& ranges() const { return ranges_; }
  // The ranges as the solver's 4x1 vector; shares their storage.
  cv::Mat rangeVector() { return cv::Mat(site::kBallCount, 1, CV_64FC1, ranges_.data()); }

 private:
  std::array<double, site::kBallCount> ranges_{};
  int counter_ = 0;
};

// What one pass did, for callers that record the run (headless mode, tests).
struct PassReport {
  bool endedLoop = false;     // no picture, or the key "n"
  bool closedWindow = false;  // the pass was the fifth of a window
  std::array<double, site::kBallCount> filtered{};
  bool solved = false;            // all four balls found at the window's close; kamera is new
  camera position;                // kamera after the pass
  std::optional<double> frameMs;  // absent when the pass ended the loop
};

enum class StartResult { started, notCalibrated, noCamera, unusablePictures };

// One run of the loop: start() sets it up, pass() runs one frame, finish() tears it down (also
// done by the destructor of a started run).
class TrackingRun {
 public:
  // stages: another way of computing the work images, to compare whole runs against.
  explicit TrackingRun(Host& host, const DetectionStages& stages = fastStages());
  ~TrackingRun();
  TrackingRun(const TrackingRun&) = delete;
  TrackingRun& operator=(const TrackingRun&) = delete;

  StartResult start();
  PassReport pass();
  // Without the range chain: reads the next picture for its precise estimate alone (to the fix
  // sink); false at the source's end or on a problem.
  bool nextEstimate();
  void finish();
  // Why the run could not start, or ended early, on the source's pictures (see problem()).
  const PictureProblem& problem() const { return problem_; }
  // The run ended because the source gave no more pictures, after pictures() of them.
  bool sourceEnded() const { return sourceEnded_; }
  int pictures() const { return pictures_; }
  // The empty video file the run opened, once finished, when the host keeps it; else empty.
  const std::filesystem::path& keptVideoFile() const { return keptVideoFile_; }

 private:
  Host& host_;
  const DetectionStages& stages_;
  bool running_ = false;
  cv::Mat undistortMap1_, undistortMap2_, undistorted_;
  cv::Mat display_;
  WorkImages work_;
  RangeFilter filter_;
  cv::VideoWriter writer_;
  std::optional<PrivateFolder> scratch_;  // holds the writer's file
  std::filesystem::path keptVideoFile_;
  std::optional<pose::PoseEstimator> estimator_;
  std::optional<PictureFeed> feed_;  // uses estimator_
  int pictures_ = 0;                 // read from the source in this run
  bool sourceEnded_ = false;
  PictureProblem problem_;
  cv::Size size_;  // of the run's first picture
  Pacer pacer_;
  CaptureClock clock_;
  PreciseBlock preciseBlock_;
  double latestSeconds_ = 0;              // capture time of the latest picture read
  std::optional<double> coarseSolvedAt_;  // capture time of the last coarse position solved
  bool coarseOld_ = false;                // the last window closed without solving it

  // The next picture of the run, checked, with its precise estimate shown: false at the
  // source's end or on a problem.
  bool nextPicture(cv::Mat& into);
  // Every picture's precise estimate, as the source delivered it: the block and the sink.
  void showFix(const pose::CameraPose& pose, const CaptureTime& time);
  void prepareUndistortion(const site::CameraModel& camera);
  void undistort(cv::Mat& picture);
  // What of the searched picture the colour passes read.
  void undistortSearched(cv::Mat& picture);
  void openVideoWriter(cv::Size size);
  void createTrackbars();
  bool detectAllBalls();  // false when the display picture is missing
  // The radius and range boxes of the balls this pass did not find, dimmed; the others not.
  void dimLostBalls();
  void closeWindow(PassReport& report);
  // The coarse block's caption, with the age of its position once it is not solved anew.
  void showCoarseAge();
};

// How the Start button's run ended, for the hint line.
struct RunEnd {
  bool sourceEnded = false;  // it read the source to its end (or to a picture it could not use)
  int pictures = 0;          // read from the source
};

// The Start button: the whole loop, from set-up to teardown.
RunEnd button1_Click(Host& host);

// Tells where a finished run's video file was kept, if it was.
void announceKeptVideoFile(const TrackingRun& run, std::ostream& out);

// Texts of the run's status box.
inline constexpr const char* statusRunning = "Proračun u tjeku...";
inline constexpr const char* statusNotCalibrated = "Najprije odaberi boje!";

}  // namespace Orvanta
