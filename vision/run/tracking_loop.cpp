#include "tracking_loop.hpp"

#include <cmath>
#include <iostream>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include "camera.hpp"
#include "camera_model.hpp"
#include "key_wait.hpp"
#include "number_format.hpp"
#include "ranging.hpp"
#include "solver.hpp"

namespace Orvanta {

namespace {

constexpr int keyStop = 110;  // "n"

struct TrackbarSetting {
  const char* window;
  const char* trackbar;
  int* position;
  int maximum;
  void (*onChange)(int);
};

const std::array<TrackbarSetting, 7>& trackbarSettings() {
  static const std::array<TrackbarSetting, 7> settings{{
      {"Canny", "High", &high_switch_value, 10, switch_callback_h},
      {"Canny", "Low", &low_switch_value, 10, switch_callback_l},
      {"Canny & Gaus", "Par1", &high_switch_value_filt, 10, switch_filt_callback_h},
      {"Canny & Gaus", "Par2", &low_switch_value_filt, 10, switch_filt_callback_l},
      {"Hough Detection", "Par1", &high_switch_value_hough, 10, hough_switch_callback_h},
      {"Hough Detection", "Par2", &low_switch_value_hough, 10, hough_switch_callback_l},
      {"Median", "Par", &switch_value_median, 9, median_switch_callback_h},
  }};
  return settings;
}

constexpr std::array<const char*, 6> detectionWindows{"Hough Detection", "grey",  "grey manuel",
                                                      "Median",          "Canny", "Canny & Gaus"};
constexpr std::array<const char*, site::kBallCount> filteredRangeBoxes{"textBox39", "textBox40",
                                                                       "textBox41", "textBox42"};
constexpr std::array<const char*, 3> positionBoxes{"textBox43", "textBox44", "textBox45"};

bool allBallsFound() {
  for (int ball = 1; ball <= site::kBallCount; ++ball)
    if (!ballRecord(ball).found) return false;
  return true;
}

std::array<double, site::kBallCount> currentDistances() {
  return {zelena.distance, crvena.distance, plava.distance, zuta.distance};
}

}  // namespace

bool isNumber(const camera& position) {
  return std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z);
}

double diffclock(std::chrono::steady_clock::time_point later,
                 std::chrono::steady_clock::time_point earlier) {
  return std::chrono::duration<double, std::milli>(later - earlier).count();
}

bool RangeFilter::add(const std::array<double, site::kBallCount>& distances) {
  ++counter_;
  if (counter_ == 1) {
    ranges_ = distances;
  } else if (counter_ < 5) {
    for (std::size_t i = 0; i < ranges_.size(); ++i)
      if (distances[i] > ranges_[i]) ranges_[i] = distances[i];
  } else {
    counter_ = 0;
    return true;
  }
  return false;
}

TrackingRun::TrackingRun(Host& host, const DetectionStages& stages)
    : host_(host), stages_(stages) {}

TrackingRun::~TrackingRun() {
  finish();
}

StartResult TrackingRun::start() {
  if (!odabran_piksel) {
    host_.texts.setText("textBox7", statusNotCalibrated);
    return StartResult::notCalibrated;
  }
  host_.texts.setText("textBox7", statusRunning);
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    ballRecord(ball).found = false;
    ballRecord(ball).radius = 0;
  }
  filter_ = RangeFilter{};
  bindLandmarks(host_.layout);
  box = cv::Rect(-1, -1, 0, 0);
  problem_ = {};
  const bool opened = openCamera(host_.cameraSource);
  clock_ = CaptureClock(host_.cameraSource, recordedRate(), host_.sequenceFps);
  if (!opened || !queryFrame(frame, &problem_)) {
    capture.release();
    host_.texts.setText("textBox7", problem_ ? problem_.window : statusNoCamera);
    return problem_ ? StartResult::unusablePictures : StartResult::noCamera;
  }
  const CaptureTime firstTime = clock_.stamp(0);
  size_ = frame.size();
  const std::optional<site::CameraModel> camera = cameraAt(host_, size_, problem_);
  if (!camera) {
    capture.release();
    host_.texts.setText("textBox7", problem_.window);
    return StartResult::unusablePictures;
  }
  pacer_.start(host_);
  pictures_ = 0;
  sourceEnded_ = false;
  preciseBlock_ = PreciseBlock{};
  coarseSolvedAt_.reset();
  coarseOld_ = false;
  estimator_.emplace(estimatorSettings(*camera, host_.layout.ballRadius));
  showFix(estimator_->estimate(frame).pose, firstTime);
  // Opened before any reading ahead: opening it sets the decoder's log up anew.
  if (host_.rangeChain) openVideoWriter(frame.size());
  // Without windows nothing waits for the operator: the next pictures are read ahead.
  feed_.emplace(*estimator_, size_, !host_.windows.showsPictures(), host_.cameraSource, 1, clock_);
  running_ = true;
  if (!host_.rangeChain) return StartResult::started;
  prepareUndistortion(*camera);
  work_.create(frame.size());
  work_.rangeScale = rangeScale(*camera, host_.layout.ballRadius);
  work_.stages = &stages_;
  createTrackbars();
  return StartResult::started;
}

bool TrackingRun::nextPicture(cv::Mat& into) {
  PictureFeed::Estimated next;
  if (!feed_->next(next, problem_)) return !(sourceEnded_ = true);
  into = std::move(next.picture);
  showFix(next.pose, next.time);
  return true;
}

void TrackingRun::showFix(const pose::CameraPose& pose, const CaptureTime& time) {
  const PictureFix fix{pictures_++, pose, time.seconds,
                       diffclock(std::chrono::steady_clock::now(), time.arrived)};
  latestSeconds_ = time.seconds;
  preciseBlock_.show(host_.texts, fix);
  if (host_.fixSink) host_.fixSink(fix);
}

void TrackingRun::prepareUndistortion(const site::CameraModel& camera) {
  // The maps cv::undistort would build on every call, built once for the run, for the camera
  // at the pictures' size.
  cv::initUndistortRectifyMap(camera.intrinsics, camera.distortion, cv::Mat(), camera.intrinsics,
                              camera.size, CV_16SC2, undistortMap1_, undistortMap2_);
  undistorted_ = frame.clone();
}

void TrackingRun::undistort(cv::Mat& picture) {
  cv::remap(picture, undistorted_, undistortMap1_, undistortMap2_, cv::INTER_LINEAR,
            cv::BORDER_CONSTANT);
  undistorted_.copyTo(picture);
}

void TrackingRun::undistortSearched(cv::Mat& picture) {
  if (stages_.wholePicture() || !allBallsFound()) return undistort(picture);
  // With every ball tracked the passes read the picture only in their search windows (they are
  // known now: each ball's pass moves only its own). Remapping works pixel by pixel, so the
  // windows get the pixels a whole undistortion gives them. All are remapped from the raw
  // picture before any is copied back, as windows may overlap.
  std::array<cv::Rect, site::kBallCount> windows;
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Rect window = searchWindow(ballRecord(ball), picture.size());
    windows[ball - 1] = window;
    cv::Mat part = undistorted_(window);
    cv::remap(picture, part, undistortMap1_(window), undistortMap2_(window), cv::INTER_LINEAR,
              cv::BORDER_CONSTANT);
  }
  for (const cv::Rect& window : windows) undistorted_(window).copyTo(picture(window));
}

void TrackingRun::openVideoWriter(cv::Size size) {
  // Nothing is written to it; a folder or codec that refuses it does not stop the run. It lives
  // in a folder of the user's own, which goes at teardown unless the user keeps it.
  scratch_ = PrivateFolder::create("orvanta");
  if (!scratch_) return;
  if (host_.keepVideoFile) scratch_->keep();
  writer_.open((scratch_->path() / "out1.avi").string(),
               cv::VideoWriter::fourcc('P', 'I', 'M', '1'), 30, size, true);
}

void TrackingRun::createTrackbars() {
  const char* window = nullptr;
  for (const TrackbarSetting& setting : trackbarSettings()) {
    if (window == nullptr || std::string(window) != setting.window) {
      window = setting.window;
      host_.windows.namedWindow(window);
    }
    host_.windows.createTrackbar(setting.trackbar, setting.window, setting.position,
                                 setting.maximum, setting.onChange);
  }
}

bool TrackingRun::nextEstimate() {
  return running_ && nextPicture(frame);
}

PassReport TrackingRun::pass() {
  PassReport report;
  // A recorded source keeps its pace before the pass, outside its measured time; "n" typed
  // meanwhile ends the loop.
  if (const int ms = pacer_.waitBefore(2); running_ && ms > 0 && waitKey(host_, ms) == keyStop) {
    report.endedLoop = true;
    report.position = kamera;
    return report;
  }
  const auto start = std::chrono::steady_clock::now();
  report.endedLoop = !running_ || !nextPicture(frame);
  if (!report.endedLoop) {
    undistortSearched(frame);
    report.endedLoop = !detectAllBalls();
  }
  if (report.endedLoop) {
    report.position = kamera;
    return report;
  }
  dimLostBalls();
  if (filter_.add(currentDistances())) closeWindow(report);
  showCoarseAge();
  report.position = kamera;
  if (waitKey(host_, 1) == keyStop) {
    report.endedLoop = true;
    return report;
  }
  report.frameMs = diffclock(std::chrono::steady_clock::now(), start);
  host_.texts.setText("textBox38", formatNumber(*report.frameMs));
  return report;
}

bool TrackingRun::detectAllBalls() {
  // Green is split around the display picture, so its circles land on the newer picture.
  work_.clearSimilarityAndMask();
  const std::vector<cv::Vec3f> green = findBallCircles(zelena, frame, work_);
  if (!nextPicture(display_)) return false;
  // The display picture is only shown.
  if (stages_.wholePicture() || host_.windows.showsPictures()) undistort(display_);
  recordBallCircles(zelena, green, display_, ballBoxes(1), work_, host_, true);
  for (int ball = 2; ball <= site::kBallCount; ++ball) {
    work_.clearSimilarityAndMask();
    detect_ball(ballRecord(ball), frame, display_, work_, ballBoxes(ball), host_);
  }
  return true;
}

void TrackingRun::dimLostBalls() {
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const bool lost = !ballRecord(ball).found;
    host_.texts.setDimmed(ballBoxes(ball).radius, lost);
    host_.texts.setDimmed(ballBoxes(ball).range, lost);
  }
}

void TrackingRun::closeWindow(PassReport& report) {
  report.closedWindow = true;
  report.filtered = filter_.ranges();
  for (std::size_t i = 0; i < filteredRangeBoxes.size(); ++i)
    host_.texts.setText(filteredRangeBoxes[i], formatNumber(report.filtered[i]));
  // A window that closes without every ball keeps the last position: shown as old.
  coarseOld_ = !allBallsFound();
  for (const char* box : positionBoxes) host_.texts.setDimmed(box, coarseOld_);
  if (coarseOld_) return;
  coarseSolvedAt_ = latestSeconds_;
  NonlinearObservation(filter_.rangeVector(), landMarkPos);
  report.solved = true;
  // A position that is not a number (ranges no point satisfies) is never shown as one.
  const std::array<double, 3> position{kamera.x, kamera.y, kamera.z};
  for (std::size_t i = 0; i < positionBoxes.size(); ++i)
    host_.texts.setText(positionBoxes[i], isNumber(kamera) ? formatNumber(position[i]) : "---");
}

void TrackingRun::showCoarseAge() {
  const bool old = coarseSolvedAt_ && coarseOld_;
  host_.texts.setText("coarseCaption",
                      std::string("gruba procjena") +
                          (old ? "\n" + ageText(latestSeconds_ - *coarseSolvedAt_) : ""));
}

void TrackingRun::finish() {
  if (!running_) return;
  running_ = false;
  feed_.reset();  // before the camera goes
  work_ = WorkImages{};
  display_.release();
  undistorted_.release();
  writer_.release();
  if (scratch_ && host_.keepVideoFile) keptVideoFile_ = scratch_->path() / "out1.avi";
  scratch_.reset();
  estimator_.reset();
  capture.release();
  for (const char* window : detectionWindows) host_.windows.destroyWindow(window);
  host_.texts.setText("textBox7", "");
}

void announceKeptVideoFile(const TrackingRun& run, std::ostream& out) {
  if (!run.keptVideoFile().empty())
    out << "orvanta: the run's video file is kept as " << run.keptVideoFile().string() << '\n';
}

RunEnd button1_Click(Host& host) {
  TrackingRun run(host);
  if (run.start() != StartResult::started) return {};
  while (!run.pass().endedLoop) {
  }
  run.finish();
  announceKeptVideoFile(run, std::clog);
  // A source whose pictures changed says so once the teardown has cleared the status.
  if (run.problem()) host.texts.setText("textBox7", run.problem().window);
  return {run.sourceEnded(), run.pictures()};
}

}  // namespace Orvanta
